#pragma once
// TJPEGImage: a JPEG picture on libjpeg-turbo. It keeps the compressed bytes it was loaded
// with (saved back unchanged) and decodes them into a 24-bit bitmap when drawn or assigned;
// a picture assigned from a bitmap is compressed when saved.
#include "framework/Bitmap.h"

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

class TJPEGImage : public TGraphic {
    KORVID_GRAPHIC_CLASS(TJPEGImage, TGraphic)

    void Destroy() override;

    // From another JPEG image (its bytes and settings) or from a bitmap (its pixels);
    // nil empties the image.
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // Raises EInvalidGraphic "JPEG image is not valid" for anything libjpeg refuses; the
    // image keeps what it had then.
    void LoadFromStream(TStream& Stream) override;
    void SaveToStream(TStream& Stream) override;
    // The size is the picture's own: setting it does nothing.
    void SetWidth(int) override {}
    void SetHeight(int) override {}

    // 1 .. 100 (clamped); used when pixels are compressed. Changing it drops kept bytes of a
    // picture that has pixels, so the next save compresses anew.
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int Value);
    TJPEGPerformance Performance() const { return performance_; }
    void SetPerformance(TJPEGPerformance Value);
    // Reports decoding row by row through OnProgress with RedrawNow set.
    bool ProgressiveDisplay() const { return progressiveDisplay_; }
    void SetProgressiveDisplay(bool Value) { progressiveDisplay_ = Value; }

    // The decoded picture (24 bits), made on first use; the image's own.
    TBitmap* Bitmap();
    // Drops the decoded picture when the compressed bytes are kept.
    void Compress();

protected:
    void AssignTo(TPersistent* Dest) override;
    bool GetEmpty() const override { return width_ == 0 || height_ == 0; }
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }

private:
    void Decode();
    void HookBitmap();
    void Encode(TStream& Stream);

    std::vector<Byte> data_; // the compressed picture, when it is up to date
    ObjectPtr<TBitmap> bitmap_;
    int width_ = 0;
    int height_ = 0;
    int quality_ = 90;
    TJPEGPerformance performance_ = jpBestQuality;
    bool progressiveDisplay_ = false;
};

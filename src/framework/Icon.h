#pragma once
// TIcon: an icon picture (ICO file). A file may hold one image in several sizes; the icon
// uses the image nearest the size asked for (SetSize, 32 x 32 by default) and keeps the
// file's bytes, which it saves back unchanged. Each image is a bitmap with its AND mask: set
// mask bits are see-through, so an icon always draws transparently.
#include "framework/Graphic.h"
#include "platform/user/Icon.h"

#include <vector>

class TIcon : public TGraphic {
    KORVID_GRAPHIC_CLASS(TIcon, TGraphic)

    TIcon() = default;
    void Destroy() override;

    // From another icon (its file bytes or its handle, copied); nil empties the icon.
    void Assign(TPersistent* Source) override;
    // The icon stretched over Rect through its mask.
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // An ICO file at the stream's position: images of 1, 4, 8, 24 or 32 bits with their AND
    // masks (32-bit images without a mask take it from their alpha). Raises EInvalidGraphic
    // "Icon image is not valid" for anything else (PNG-coded images included); the icon keeps
    // what it had then. The stream is left after the file's last image.
    void LoadFromStream(TStream& Stream) override;
    // The file's bytes as loaded; an icon made from a handle is written as a one-image file
    // (32-bit image and its mask). Nothing for an empty icon.
    void SaveToStream(TStream& Stream) override;
    // A compiled-in icon (see Resources.h); EResNotFound when there is none.
    void LoadFromResourceName(HINSTANCE Instance, const String& ResName);

    // The icon handle, made on first use; it stays the icon's. 0 for an empty icon.
    HICON Handle();
    // Takes the handle over (the file bytes are dropped); 0 empties the icon.
    void SetHandle(HICON Value);
    // Gives the handle to the caller; the icon is empty afterwards.
    HICON ReleaseHandle();

    // Picks the image of a file nearest this size (ties: the larger, then the deeper one).
    void SetSize(int AWidth, int AHeight);
    void SetWidth(int Value) override { SetSize(Value, wantHeight_); }
    void SetHeight(int Value) override { SetSize(wantWidth_, Value); }
    // The images the loaded file holds (0 for an icon made from a handle).
    int ImageCount() const { return static_cast<int>(images_.size()); }

protected:
    bool GetEmpty() const override { return images_.empty() && handle_ == 0; }
    int GetWidth() const override;
    int GetHeight() const override;
    bool GetTransparent() override { return true; }

private:
    struct Image {
        int width = 0;
        int height = 0;
        int bitCount = 0;
        std::vector<DWORD> pixels; // 0xAARRGGBB, rows top-down
        std::vector<Byte> mask;    // 1: see-through
    };
    static std::vector<Image> Parse(const std::vector<Byte>& file);
    int Chosen() const;
    void DropHandle();
    void Clear();

    std::vector<Byte> data_; // the file, as loaded
    std::vector<Image> images_;
    HICON handle_ = 0;
    int handleWidth_ = 0, handleHeight_ = 0;
    int wantWidth_ = 32, wantHeight_ = 32;
};

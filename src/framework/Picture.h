#pragma once
// TPicture: holds one graphic of any registered format, loads it from a file by the file's
// extension or from the clipboard by format, and passes on its changes and progress.
#include "framework/Graphic.h"

class TBitmap;

class TPicture : public TPersistent {
    KORVID_CLASS(TPicture, TPersistent)

    void Destroy() override;

    // A picture takes its own copy of the other picture's graphic (made through the
    // graphic's class); a graphic is copied the same way; nil clears the picture.
    void Assign(TPersistent* Source) override;

    // The graphic held (nil for none); it stays the picture's.
    TGraphic* Graphic() const { return graphic_; }
    // Holds a copy of Value (nil clears).
    void SetGraphic(TGraphic* Value);
    // The graphic as a bitmap: whatever else was held is replaced by an empty bitmap.
    TBitmap* Bitmap();
    int Width() const;
    int Height() const;

    // Picks the class by the extension, case-insensitively; EInvalidGraphic "Unknown picture
    // file extension (.EXT)" for one not registered. On failure the picture keeps what it had.
    void LoadFromFile(const String& FileName);
    // Writes through the held graphic, whatever the extension says; nothing when empty.
    void SaveToFile(const String& FileName);
    void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette);
    void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette);
    static bool SupportsClipboardFormat(Word AFormat);

    // The registry of formats, shared by every picture. A later registration of the same
    // extension or clipboard format replaces the earlier one.
    static void RegisterFileFormat(const String& AExtension, const String& ADescription,
                                   TGraphicClass AGraphicClass);
    static void RegisterClipboardFormat(Word AFormat, TGraphicClass AGraphicClass);
    static void UnregisterGraphicClass(TGraphicClass AClass);
    // The class registered for an extension (with or without the dot), or an empty one.
    static TGraphicClass FileFormatClass(const String& AExtension);

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    void AssignTo(TPersistent* Dest) override;
    virtual void Changed(TObject* Sender);

private:
    void Hook(TGraphic* graphic);
    // Frees the held graphic and holds graphic instead.
    void Replace(TGraphic* graphic);

    TGraphic* graphic_ = nullptr;
};

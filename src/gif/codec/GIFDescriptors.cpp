#include "gif/codec/GIFDescriptors.h"

#include "gif/codec/GIFStreamIO.h"

void TGIFScreenDescriptor::Read(TStream& stream) {
    Byte b[7];
    ReadExactly(stream, b, 7);
    ScreenWidth = Le16(b);
    ScreenHeight = Le16(b + 2);
    PackedFields = b[4];
    BackgroundColorIndex = b[5];
    AspectRatio = b[6];
}

void TGIFScreenDescriptor::Write(TStream& stream) const {
    Byte b[7];
    PutLe16(b, ScreenWidth);
    PutLe16(b + 2, ScreenHeight);
    b[4] = PackedFields;
    b[5] = BackgroundColorIndex;
    b[6] = AspectRatio;
    stream.WriteBuffer(b, 7);
}

void TGIFImageDescriptor::Read(TStream& stream) {
    Byte b[10];
    ReadExactly(stream, b, 10);
    Separator = b[0];
    Left = Le16(b + 1);
    Top = Le16(b + 3);
    Width = Le16(b + 5);
    Height = Le16(b + 7);
    PackedFields = b[9];
}

void TGIFImageDescriptor::Write(TStream& stream) const {
    Byte b[10];
    b[0] = Separator;
    PutLe16(b + 1, Left);
    PutLe16(b + 3, Top);
    PutLe16(b + 5, Width);
    PutLe16(b + 7, Height);
    b[9] = PackedFields;
    stream.WriteBuffer(b, 10);
}

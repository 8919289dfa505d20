#include "app/CellModel.h"

#include "rtl/Conversion.h"
#include "rtl/Files.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

String CellLabelText(double position) {
    return FloatToStrF(position, ffFixed, 5, 2) + "s";
}

String CellPositionText(int gridSize, const TCellPositions& positions) {
    String text = "<Maxstep>" + IntToStr(gridSize) + "</Maxstep>";
    for (int row = 0; row < kCellRows; ++row)
        for (int column = 0; column < kCellRows; ++column) {
            String tag = "P" + IntToStr(row + 1) + IntToStr(column + 1);
            double value = positions[CellIndex(row, column)];
            // The first cell's value is written as whole seconds.
            String shown =
                (row == 0 && column == 0) ? FloatToStr(std::trunc(value)) : FloatToStr(value);
            text += "<" + tag + ">" + shown + "</" + tag + ">";
        }
    return text;
}

String CellPositionFileName(const String& videoFileName) {
    return ChangeFileExt(videoFileName, ".ini");
}

void WriteTextFile(const String& text, const String& fileName) {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) {
        int error = errno;
        throw EInOutError("Cannot create file \"" + fileName + "\". " + std::strerror(error),
                          error);
    }
    size_t written = text.empty() ? 0 : std::fwrite(text.data(), 1, text.size(), file);
    int writeError = written == text.size() ? 0 : errno;
    int closeResult = std::fclose(file);
    if (writeError == 0 && closeResult != 0) writeError = errno;
    if (writeError != 0)
        throw EInOutError("Cannot write file \"" + fileName + "\". " + std::strerror(writeError),
                          writeError);
}

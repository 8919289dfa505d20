// The quality of an animated GIF against the frames it was made from: giflib decodes it, the
// frames are composed onto the logical screen by their disposal methods, and each screen is
// compared with its source BMP. Prints the PSNR per frame and over all frames (from the mean
// squared error of every colour sample).
//   gif_psnr FILE.gif FRAME.bmp...
#include "gif_tool_support.h"

#include <gif_lib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int DisposalOf(const SavedImage& image) {
    GraphicsControlBlock gcb;
    for (int i = 0; i < image.ExtensionBlockCount; ++i)
        if (image.ExtensionBlocks[i].Function == GRAPHICS_EXT_FUNC_CODE &&
            DGifExtensionToGCB(image.ExtensionBlocks[i].ByteCount, image.ExtensionBlocks[i].Bytes,
                               &gcb) == GIF_OK)
            return gcb.DisposalMode;
    return 0;
}

int TransparentOf(const SavedImage& image) {
    GraphicsControlBlock gcb;
    for (int i = 0; i < image.ExtensionBlockCount; ++i)
        if (image.ExtensionBlocks[i].Function == GRAPHICS_EXT_FUNC_CODE &&
            DGifExtensionToGCB(image.ExtensionBlocks[i].ByteCount, image.ExtensionBlocks[i].Bytes,
                               &gcb) == GIF_OK)
            return gcb.TransparentColor;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: gif_psnr FILE.gif FRAME.bmp...\n");
        return 2;
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        std::fprintf(stderr, "gif_psnr: giflib cannot read %s\n", argv[1]);
        if (gif) DGifCloseFile(gif, &error);
        return 1;
    }
    int frames = argc - 2;
    if (gif->ImageCount != frames)
        std::printf("%s has %d frames for %d sources\n", argv[1], gif->ImageCount, frames);
    giftool::Composer screen(gif->SWidth, gif->SHeight);
    double total = 0, samples = 0;
    int status = 0;
    try {
        for (int i = 0; i < std::min(frames, gif->ImageCount); ++i) {
            const SavedImage& image = gif->SavedImages[i];
            const ColorMapObject* map =
                image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            std::vector<unsigned char> colors;
            for (int c = 0; map && c < map->ColorCount; ++c) {
                colors.push_back(map->Colors[c].Red);
                colors.push_back(map->Colors[c].Green);
                colors.push_back(map->Colors[c].Blue);
            }
            giftool::FrameView v;
            v.left = image.ImageDesc.Left;
            v.top = image.ImageDesc.Top;
            v.width = image.ImageDesc.Width;
            v.height = image.ImageDesc.Height;
            v.indices = image.RasterBits;
            v.colors = colors.data();
            v.colorCount = static_cast<int>(colors.size() / 3);
            v.transparent = TransparentOf(image);
            v.disposal = DisposalOf(image);
            screen.Draw(v);
            giftool::Picture source = giftool::ReadBMP(argv[2 + i]);
            if (source.width != gif->SWidth || source.height != gif->SHeight)
                throw std::runtime_error(std::string("size differs: ") + argv[2 + i]);
            double e = giftool::SquaredError(screen.Screen(), source);
            double n = 3.0 * source.width * source.height;
            total += e;
            samples += n;
            std::printf("frame %d: PSNR %.2f dB\n", i, giftool::PSNR(e, n));
            screen.Dispose();
        }
        std::printf("PSNR %.2f dB over %d frames\n", giftool::PSNR(total, samples),
                    std::min(frames, gif->ImageCount));
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "gif_psnr: %s\n", ex.what());
        status = 1;
    }
    DGifCloseFile(gif, &error);
    return status;
}

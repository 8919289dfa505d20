// Files that bend the format the way real writers and damaged copies do, built byte by byte:
// TGIFGraphic::LoadFromStream must show the same frames as giflib's DGifSlurp. Warnings may
// differ; what the frames hold may not.
#include "GIFTestUtil.h"
#include "GifToolsTestUtil.h"

#include <gtest/gtest.h>

#include <string>

using namespace giftools;
using giftest::Cat;
using giftest::PackCodes;
using giftest::Str;
using giftest::SubBlocks;

namespace {

// GIF89a, a 6 x 1 screen, a 4-colour global table, then the blocks.
Bytes WithHeader(const Bytes& blocks) {
    return Cat({Str("GIF89a"),
                {6, 0, 1, 0, 0x81, 0, 0},
                {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255},
                blocks});
}

// An image block of width x 1 at (0, 0) with minimum code size 2 and the given codes.
Bytes Image(int width, std::initializer_list<giftest::Code> codes, int minCodeSize = 2) {
    return Cat({{0x2C, 0, 0, 0, 0, static_cast<Byte>(width), 0, 1, 0, 0},
                {static_cast<Byte>(minCodeSize)},
                SubBlocks(PackCodes(codes))});
}

struct DamagedCase {
    const char* name;
    Bytes file;
};

// Codes are 3 bits wide until entry 8 is defined (clear 4, end 5, first free 6).
const DamagedCase kCases[] = {
    // After clear, 1, 0 entry 6 is "1 0"; 7 is the next free code and 9 lies past it.
    {"code_past_the_next_free_one",
     WithHeader(Cat({Image(2, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}), {0x3B}}))},
    {"code_far_past_the_next_free_one",
     WithHeader(Cat({Image(6, {{4, 3}, {1, 3}, {0, 3}, {6, 3}, {15, 4}, {5, 4}}), {0x3B}}))},
    {"no_clear_code_first", WithHeader(Cat({Image(2, {{1, 3}, {2, 3}, {5, 3}}), {0x3B}}))},
    {"no_end_code", WithHeader(Cat({Image(2, {{4, 3}, {3, 3}, {2, 3}}), {0x3B}}))},
    {"codes_after_the_last_pixel",
     WithHeader(Cat({Image(2, {{4, 3}, {1, 3}, {0, 3}, {3, 3}, {3, 3}, {5, 3}}), {0x3B}}))},
    {"pixel_values_past_the_table",
     WithHeader(Cat({{0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0},
                     {3},
                     SubBlocks(PackCodes({{8, 4}, {7, 4}, {6, 4}, {5, 4}, {9, 4}})),
                     {0x3B}}))},
    {"minimum_code_size_1",
     WithHeader(Cat({Image(3, {{2, 2}, {1, 2}, {0, 3}, {4, 3}, {3, 3}}, 1), {0x3B}}))},
    {"clear_code_in_the_middle",
     WithHeader(Cat({Image(4, {{4, 3}, {1, 3}, {2, 3}, {4, 3}, {3, 3}, {0, 3}, {5, 3}}), {0x3B}}))},
    {"unknown_extension_first",
     WithHeader(
         Cat({{0x21, 0x99, 2, 'a', 'b', 0}, Image(2, {{4, 3}, {1, 3}, {2, 3}, {5, 3}}), {0x3B}}))},
    {"two_control_blocks", WithHeader(Cat({{0x21, 0xF9, 4, 0x05, 7, 0, 1, 0},
                                           {0x21, 0xF9, 4, 0x08, 9, 0, 2, 0},
                                           Image(2, {{4, 3}, {1, 3}, {2, 3}, {5, 3}}),
                                           {0x3B}}))},
    {"bytes_after_the_trailer",
     WithHeader(Cat({Image(2, {{4, 3}, {1, 3}, {2, 3}, {5, 3}}), {0x3B, 1, 2, 3}}))},
};

class DamagedFiles : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedFiles, LoadAsGiflibReadsThem) {
    test_support::TempFolder folder{"korvid-giftools-"};
    std::string file = folder.File("damaged.gif");
    WriteFile(file, GetParam().file.data(), GetParam().file.size());
    std::string error;
    FileView theirs = GiflibView(file, error);
    ASSERT_TRUE(error.empty()) << error;
    std::vector<String> warnings;
    ObjectPtr<TGIFGraphic> image = LoadOurs(file, warnings);
    ExpectSameView(OurView(*image), theirs);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedFiles, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DamagedCase>& test) {
                             return std::string(test.param.name);
                         });

} // namespace

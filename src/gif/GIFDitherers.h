#pragma once
// Ditherers map rows of true-colour pixels to palette indices through a colour lookup,
// serpentine: the first row left to right, the next right to left, and so on. The caller
// follows Column and Step. The base engine takes the nearest colour; the others spread the
// error each pixel leaves onto pixels not yet visited.
#include "gif/GIFColorLookup.h"

#include <vector>

class TDitherEngine {
public:
    TDitherEngine(int rowWidth, TColorLookup* lookup) : ColorLookup(lookup), RowWidth(rowWidth) {}
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    // The index for the pixel at Column; the out values are the chosen entry's colour.
    // Column moves one step on.
    virtual Byte DitherPixel(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                             Byte& outBlue);
    // Turns the direction: Column becomes RowWidth - 1 after a left-to-right row, 0 after a
    // right-to-left one.
    virtual void NextRow();
    // Every pixel of one row, from Column on in the direction of travel, exactly as
    // DitherPixel one after another would; `pixels` holds RowWidth pixels of blue, green,
    // red bytes, out[x] receives the index of column x. NextRow is the caller's.
    virtual void DitherRow(const Byte* pixels, Byte* out);

    int Step = 1;
    int Column = 0;
    TColorLookup* ColorLookup; // not owned
    int RowWidth;
};

// 7/16 to the next pixel of the row; 3/16, 5/16, 1/16 to the pixels below behind, under and
// ahead, through one error row per channel.
class TFloydSteinbergDitherer final : public TDitherEngine {
public:
    TFloydSteinbergDitherer(int rowWidth, TColorLookup* lookup);
    Byte DitherPixel(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                     Byte& outBlue) override;
    void NextRow() override;
    // One loop over the row with the error values held in locals.
    void DitherRow(const Byte* pixels, Byte* out) override;

private:
    template <typename Lookup> void DitherRowWith(const Byte* pixels, Byte* out, Lookup&& lookup);

    struct Channel {
        std::vector<int> row; // RowWidth + 2 cells
        int carried = 0, below = 0, belowPrevious = 0;
    };
    int Cursor() const { return Step > 0 ? Column : Column + 2; }
    Channel channels_[3];
};

// Kernels over rows of RowWidth + 2 x reach cells; a pixel in column x uses cell x + reach of
// each row in both directions.
class TKernelDitherer : public TDitherEngine {
public:
    Byte DitherPixel(Byte red, Byte green, Byte blue, Byte& outRed, Byte& outGreen,
                     Byte& outBlue) override;
    void NextRow() override;

protected:
    TKernelDitherer(int rowWidth, TColorLookup* lookup, int rows, int reach, int divisor);
    // Adds the error of the pixel whose cell is `at` into the channel's rows (rows[0] the
    // current row); offsets count in the direction of travel.
    virtual void Spread(std::vector<int>* rows, int at, int error) = 0;
    void Add(std::vector<int>& row, int at, int offset, int weight, int error) {
        row[static_cast<size_t>(at + offset * Step)] += weight * error;
    }

    int Divisor;

private:
    int reach_;
    std::vector<std::vector<int>> channels_[3];
};

// The 5-by-3 family: Stucki (42), Sierra (32), Jarvis-Judice-Ninke (48).
class T5by3Ditherer : public TKernelDitherer {
protected:
    T5by3Ditherer(int rowWidth, TColorLookup* lookup, int divisor)
        : TKernelDitherer(rowWidth, lookup, 3, 2, divisor) {}
};

class TStuckiDitherer final : public T5by3Ditherer {
public:
    TStuckiDitherer(int rowWidth, TColorLookup* lookup) : T5by3Ditherer(rowWidth, lookup, 42) {}

protected:
    void Spread(std::vector<int>* rows, int at, int error) override;
};

class TSierraDitherer final : public T5by3Ditherer {
public:
    TSierraDitherer(int rowWidth, TColorLookup* lookup) : T5by3Ditherer(rowWidth, lookup, 32) {}

protected:
    void Spread(std::vector<int>* rows, int at, int error) override;
};

class TJaJuNiDitherer final : public T5by3Ditherer {
public:
    TJaJuNiDitherer(int rowWidth, TColorLookup* lookup) : T5by3Ditherer(rowWidth, lookup, 48) {}

protected:
    void Spread(std::vector<int>* rows, int at, int error) override;
};

// Stevenson-Arce (200): four rows, reaching three pixels to each side.
class TSteveArcheDitherer final : public TKernelDitherer {
public:
    TSteveArcheDitherer(int rowWidth, TColorLookup* lookup)
        : TKernelDitherer(rowWidth, lookup, 4, 3, 200) {}

protected:
    void Spread(std::vector<int>* rows, int at, int error) override;
};

// Burkes (32): two rows.
class TBurkesDitherer final : public TKernelDitherer {
public:
    TBurkesDitherer(int rowWidth, TColorLookup* lookup)
        : TKernelDitherer(rowWidth, lookup, 2, 2, 32) {}

protected:
    void Spread(std::vector<int>* rows, int at, int error) override;
};

// TDitherMethod: 0 dtNearest .. 6 dtBurkes.
enum TDitherMethod : Byte {
    dtNearest = 0,
    dtFloydSteinberg = 1,
    dtStucki = 2,
    dtSierra = 3,
    dtJaJuNi = 4,
    dtSteveArche = 5,
    dtBurkes = 6,
};

// The ditherer of a method, or none for a method above 6.
std::unique_ptr<TDitherEngine> CreateDitherer(int method, int rowWidth, TColorLookup* lookup);

#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "foundation/LumivexApi.h"
#include "sound/SoundBlock.h"

// A real discrete Fourier transform of a power-of-two size, with the
// spectrum packed in place: element 0 the DC term, element 1 the term at
// half the sample rate, elements 2k and 2k+1 the real and imaginary parts
// of bin k (1 <= k < n/2). inverse() undoes forward() up to a factor n/2.
class LUMIVEX_API UxFFT {
public:
    UxFFT();
    virtual ~UxFFT();

    // Sizes the transform (a power of two of at least 4); false otherwise.
    bool setSize(int32_t points);
    int32_t size() const { return m_points; }

    void forward(double* values);
    void inverse(double* values);

    // The channel's low pass at a quarter of the sample rate, on the first
    // `size()` frames of each side of a block (a smaller block is left
    // alone): bins from n/4 up are cleared, the rest goes back unclamped.
    void lowPass(SoundBlock& block);

private:
    void transform(bool inverse);

    int32_t m_points = 0;
    std::vector<std::complex<double>> m_work;
    std::vector<std::complex<double>> m_twiddles;
    std::vector<double> m_side;
};

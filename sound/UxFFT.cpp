#include "sound/UxFFT.h"

#include <cmath>

UxFFT::UxFFT() = default;
UxFFT::~UxFFT() = default;

bool UxFFT::setSize(int32_t points)
{
    if (points < 4 || (points & (points - 1)) != 0)
        return false;
    m_points = points;
    m_work.assign(size_t(points), {});
    m_side.assign(size_t(points), 0.0);
    m_twiddles.resize(size_t(points / 2));
    const double pi = std::acos(-1.0);
    for (int32_t k = 0; k < points / 2; ++k)
        m_twiddles[size_t(k)] = std::polar(1.0, -2.0 * pi * k / points);
    return true;
}

// In-place iterative radix-2 transform of m_work; the inverse is not scaled.
void UxFFT::transform(bool inverse)
{
    const size_t n = size_t(m_points);
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(m_work[i], m_work[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const size_t stride = n / length;
        for (size_t start = 0; start < n; start += length) {
            for (size_t k = 0; k < length / 2; ++k) {
                std::complex<double> w = m_twiddles[k * stride];
                if (inverse)
                    w = std::conj(w);
                std::complex<double> a = m_work[start + k];
                std::complex<double> b = m_work[start + k + length / 2] * w;
                m_work[start + k] = a + b;
                m_work[start + k + length / 2] = a - b;
            }
        }
    }
}

void UxFFT::forward(double* values)
{
    const int32_t n = m_points;
    for (int32_t i = 0; i < n; ++i)
        m_work[size_t(i)] = values[i];
    transform(false);
    values[0] = m_work[0].real();
    values[1] = m_work[size_t(n / 2)].real();
    for (int32_t k = 1; k < n / 2; ++k) {
        values[2 * k] = m_work[size_t(k)].real();
        values[2 * k + 1] = m_work[size_t(k)].imag();
    }
}

void UxFFT::inverse(double* values)
{
    const int32_t n = m_points;
    m_work[0] = values[0];
    m_work[size_t(n / 2)] = values[1];
    for (int32_t k = 1; k < n / 2; ++k) {
        std::complex<double> bin(values[2 * k], values[2 * k + 1]);
        m_work[size_t(k)] = bin;
        m_work[size_t(n - k)] = std::conj(bin);
    }
    transform(true);
    for (int32_t i = 0; i < n; ++i)
        values[i] = m_work[size_t(i)].real() / 2.0;
}

void UxFFT::lowPass(SoundBlock& block)
{
    const int32_t n = m_points;
    if (n == 0 || !block.data || block.capacity < n * 4 || block.used < n * 4)
        return;
    double* side = m_side.data();
    for (int32_t channel = 0; channel < 2; ++channel) {
        for (int32_t i = 0; i < n; ++i)
            side[i] = block.data[2 * i + channel];
        forward(side);
        for (int32_t i = n / 2; i < n; ++i)
            side[i] = 0.0;
        inverse(side);
        for (int32_t i = 0; i < n; ++i) {
            // Truncated towards zero, only the low 16 bits kept (no clamp);
            // a NaN or a huge value must not reach the conversion.
            double value = side[i] * 2.0 / n;
            int64_t whole = std::isfinite(value) && std::fabs(value) < 9.0e18 ? static_cast<int64_t>(value) : 0;
            block.data[2 * i + channel] = static_cast<int16_t>(static_cast<uint16_t>(whole));
        }
    }
}

#pragma once
// Tables used by the area source integral and its wind-direction search.

namespace screen::engine {

// [table][distance row][aspect column]; rural tables for classes 1..6, urban tables for
// classes 1-2, 3, 4 and 5-6.
extern const unsigned char kRuralAngleTables[6][56][22];
extern const unsigned char kUrbanAngleTables[4][56][22];

// Lower bounds of the aspect-ratio columns and the normalised-distance rows.
inline constexpr float kAspectBounds[22] = {1.0f, 1.1f, 1.2f, 1.3f, 1.4f, 1.5f, 1.6f, 1.7f,
                                            1.8f, 1.9f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, 4.5f,
                                            5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f};
inline constexpr float kDistanceBounds[56] = {
    0.0f, 0.01f, 0.02f, 0.03f, 0.04f, 0.05f, 0.06f, 0.07f, 0.08f, 0.09f, 0.1f, 0.15f,
    0.2f, 0.25f, 0.3f,  0.35f, 0.4f,  0.45f, 0.5f,  0.55f, 0.6f,  0.65f, 0.7f, 0.75f,
    0.8f, 0.85f, 0.9f,  0.95f, 1.0f,  1.1f,  1.2f,  1.3f,  1.4f,  1.5f,  1.6f, 1.7f,
    1.8f, 1.9f,  2.0f,  2.5f,  3.0f,  3.5f,  4.0f,  4.5f,  5.0f,  6.0f,  7.0f, 8.0f,
    9.0f, 10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f, 20.0f};

// Cumulative normal distribution at n = -3.9, -3.8, ..., 3.9 (index 1..79; index 0 unused),
// four decimals as tabulated.
inline constexpr float kCumulativeNormal[80] = {
    0.0f,    0.0000f, 0.0001f, 0.0001f, 0.0002f, 0.0002f, 0.0003f, 0.0005f, 0.0007f, 0.0010f,
    0.0013f, 0.0019f, 0.0026f, 0.0035f, 0.0047f, 0.0062f, 0.0082f, 0.0107f, 0.0139f, 0.0179f,
    0.0227f, 0.0287f, 0.0359f, 0.0446f, 0.0548f, 0.0668f, 0.0808f, 0.0968f, 0.1151f, 0.1357f,
    0.1587f, 0.1841f, 0.2119f, 0.2420f, 0.2742f, 0.3085f, 0.3445f, 0.3821f, 0.4207f, 0.4602f,
    0.5000f, 0.5398f, 0.5793f, 0.6179f, 0.6555f, 0.6915f, 0.7258f, 0.7580f, 0.7881f, 0.8159f,
    0.8413f, 0.8643f, 0.8849f, 0.9032f, 0.9192f, 0.9332f, 0.9452f, 0.9554f, 0.9641f, 0.9713f,
    0.9773f, 0.9821f, 0.9861f, 0.9893f, 0.9918f, 0.9938f, 0.9953f, 0.9965f, 0.9974f, 0.9981f,
    0.9987f, 0.9990f, 0.9993f, 0.9995f, 0.9997f, 0.9998f, 0.9998f, 0.9999f, 0.9999f, 1.0000f};

}  // namespace screen::engine

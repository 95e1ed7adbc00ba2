// The colour science of colour_vision.h: sRGB, the Machado (2009) matrices,
// CIELAB and CIEDE2000 (after Sharma, Wu and Dalal, 2005), and the groups'
// frames and inks.
#include "colour_vision.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace colour_vision {

namespace {

constexpr double kPi = 3.14159265358979323846;

using Matrix = double[3][3];

// Machado, Oliveira and Fernandes (2009), severity 1.0, on linear RGB.
// clang-format off
constexpr Matrix kProtanopia = {{ 0.152286,  1.052583, -0.204868},
                                { 0.114503,  0.786281,  0.099216},
                                {-0.003882, -0.048116,  1.051998}};
constexpr Matrix kDeuteranopia = {{ 0.367322,  0.860646, -0.227968},
                                  { 0.280085,  0.672501,  0.047413},
                                  {-0.011820,  0.042940,  0.968881}};
constexpr Matrix kTritanopia = {{ 1.255528, -0.076749, -0.178779},
                                {-0.078411,  0.930809,  0.147602},
                                { 0.004733,  0.691367,  0.303900}};
// sRGB's primaries to CIE XYZ, and the D65 white.
constexpr Matrix kToXyz = {{0.4124564, 0.3575761, 0.1804375},
                           {0.2126729, 0.7151522, 0.0721750},
                           {0.0193339, 0.1191920, 0.9503041}};
constexpr double kWhiteX = 0.95047, kWhiteY = 1.0, kWhiteZ = 1.08883;
// clang-format on

const char* const kViewNames[kViewCount] = {"as is", "protanopia", "deuteranopia", "tritanopia",
                                            "greyscale"};
const char* const kMeasureNames[kMeasureCount] = {"frame", "ink"};

double clamp01(double v) {
    return std::min(1.0, std::max(0.0, v));
}

Linear times(const Matrix& m, Linear c) {
    return {m[0][0] * c.r + m[0][1] * c.g + m[0][2] * c.b,
            m[1][0] * c.r + m[1][1] * c.g + m[1][2] * c.b,
            m[2][0] * c.r + m[2][1] * c.g + m[2][2] * c.b};
}

double labF(double t) {
    constexpr double kDelta = 6.0 / 29.0;
    return t > kDelta * kDelta * kDelta ? std::cbrt(t) : t / (3 * kDelta * kDelta) + 4.0 / 29.0;
}

double degrees(double radians) {
    return radians * 180.0 / kPi;
}

double radiansOf(double degrees) {
    return degrees * kPi / 180.0;
}

// The hue angle in degrees, 0..360; 0 for a grey.
double hueAngle(double a, double b) {
    if (a == 0.0 && b == 0.0) {
        return 0.0;
    }
    double h = degrees(std::atan2(b, a));
    return h < 0.0 ? h + 360.0 : h;
}

std::string hex(Linear colour) {
    unsigned char rgb[3];
    toSrgb8(colour, rgb);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

std::string fixed1(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string pairName(const PairDifference& pair) {
    const Group& one = kGroups[pair.one];
    const Group& other = kGroups[pair.other];
    return std::string(1, one.letter) + " " + one.name + " / " + other.letter + " " + other.name;
}

}  // namespace

// clang-format off
const std::array<Group, kGroupCount> kGroups = {{
    {'a', "diamonds", 0,  9, true},
    {'b', "circles",  9,  9, true},
    {'c', "bamboo",   18, 9, true},
    {'d', "dragons",  27, 3, false},
    {'e', "winds",    30, 4, false},
    {'f', "flowers",  34, 4, false},
    {'g', "seasons",  38, 4, false},
}};
// clang-format on

const char* viewName(View view) {
    return kViewNames[int(view)];
}

const char* measureName(Measure measure) {
    return kMeasureNames[int(measure)];
}

double decodeSrgb(double encoded) {
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double encodeSrgb(double linear) {
    linear = clamp01(linear);
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

Linear fromSrgb8(const unsigned char* rgb) {
    return {decodeSrgb(rgb[0] / 255.0), decodeSrgb(rgb[1] / 255.0), decodeSrgb(rgb[2] / 255.0)};
}

void toSrgb8(Linear colour, unsigned char* rgb) {
    rgb[0] = static_cast<unsigned char>(std::lround(encodeSrgb(colour.r) * 255.0));
    rgb[1] = static_cast<unsigned char>(std::lround(encodeSrgb(colour.g) * 255.0));
    rgb[2] = static_cast<unsigned char>(std::lround(encodeSrgb(colour.b) * 255.0));
}

Linear see(Linear colour, View view) {
    Linear seen = colour;
    switch (view) {
        case View::kAsIs:
            break;
        case View::kProtanopia:
            seen = times(kProtanopia, colour);
            break;
        case View::kDeuteranopia:
            seen = times(kDeuteranopia, colour);
            break;
        case View::kTritanopia:
            seen = times(kTritanopia, colour);
            break;
        case View::kGreyscale: {
            const double y = times(kToXyz, colour).g;
            seen = {y, y, y};
            break;
        }
    }
    return {clamp01(seen.r), clamp01(seen.g), clamp01(seen.b)};
}

Lab toLab(Linear colour) {
    const Linear xyz = times(kToXyz, colour);  // r, g, b hold X, Y, Z
    const double fx = labF(xyz.r / kWhiteX), fy = labF(xyz.g / kWhiteY), fz = labF(xyz.b / kWhiteZ);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

// CIEDE2000 with kL = kC = kH = 1.
double ciede2000(const Lab& one, const Lab& other) {
    const double c1 = std::hypot(one.a, one.b), c2 = std::hypot(other.a, other.b);
    const double cMean = (c1 + c2) / 2.0;
    const double c7 = std::pow(cMean, 7.0);
    const double g = 0.5 * (1.0 - std::sqrt(c7 / (c7 + std::pow(25.0, 7.0))));
    const double a1 = (1.0 + g) * one.a, a2 = (1.0 + g) * other.a;
    const double cp1 = std::hypot(a1, one.b), cp2 = std::hypot(a2, other.b);
    const double hp1 = hueAngle(a1, one.b), hp2 = hueAngle(a2, other.b);

    const double dL = other.L - one.L;
    const double dC = cp2 - cp1;
    double dh = 0.0;
    if (cp1 * cp2 != 0.0) {
        dh = hp2 - hp1;
        if (dh > 180.0) {
            dh -= 360.0;
        } else if (dh < -180.0) {
            dh += 360.0;
        }
    }
    const double dH = 2.0 * std::sqrt(cp1 * cp2) * std::sin(radiansOf(dh / 2.0));

    const double lMean = (one.L + other.L) / 2.0;
    const double cpMean = (cp1 + cp2) / 2.0;
    double hMean = hp1 + hp2;
    if (cp1 * cp2 != 0.0) {
        if (std::abs(hp1 - hp2) <= 180.0) {
            hMean /= 2.0;
        } else {
            hMean = hMean < 360.0 ? (hMean + 360.0) / 2.0 : (hMean - 360.0) / 2.0;
        }
    }
    const double t = 1.0 - 0.17 * std::cos(radiansOf(hMean - 30.0)) +
                     0.24 * std::cos(radiansOf(2.0 * hMean)) +
                     0.32 * std::cos(radiansOf(3.0 * hMean + 6.0)) -
                     0.20 * std::cos(radiansOf(4.0 * hMean - 63.0));
    const double dTheta = 30.0 * std::exp(-std::pow((hMean - 275.0) / 25.0, 2.0));
    const double cp7 = std::pow(cpMean, 7.0);
    const double rc = 2.0 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7.0)));
    const double l50 = (lMean - 50.0) * (lMean - 50.0);
    const double sl = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double sc = 1.0 + 0.045 * cpMean;
    const double sh = 1.0 + 0.015 * cpMean * t;
    const double rt = -std::sin(radiansOf(2.0 * dTheta)) * rc;
    const double lTerm = dL / sl, cTerm = dC / sc, hTerm = dH / sh;
    return std::sqrt(lTerm * lTerm + cTerm * cTerm + hTerm * hTerm + rt * cTerm * hTerm);
}

bool isInk(const unsigned char* rgba) {
    if (rgba[3] != 255) {
        return false;
    }
    for (int c = 0; c < 3; ++c) {
        if (std::abs(int(rgba[c]) - int(kCream[c])) > kCreamTolerance) {
            return true;
        }
    }
    return false;
}

double boundBetween(const Group& one, const Group& other) {
    return one.suit && other.suit ? kSuitBound : kGroupBound;
}

namespace {

// Adds each ink pixel of `face`, seen in every view, to the frame's sums or
// only to the ink's: a pixel is frame when its row has no cream on one side of it.
void addFace(const Face& face, Linear (*sums)[kViewCount], long* pixels) {
    for (int y = 0; y < face.height; ++y) {
        const unsigned char* row = &face.rgba.at(std::size_t(y) * face.width * 4);
        int firstCream = face.width, lastCream = -1;
        for (int x = 0; x < face.width; ++x) {
            if (row[x * 4 + 3] == 255 && !isInk(&row[x * 4])) {
                firstCream = std::min(firstCream, x);
                lastCream = x;
            }
        }
        for (int x = 0; x < face.width; ++x) {
            if (!isInk(&row[x * 4])) {
                continue;
            }
            const bool frame = x < firstCream || x > lastCream;
            const Linear colour = fromSrgb8(&row[x * 4]);
            for (int m = 0; m < kMeasureCount; ++m) {
                if (Measure(m) == Measure::kFrame && !frame) {
                    continue;
                }
                ++pixels[m];
                for (int v = 0; v < kViewCount; ++v) {
                    const Linear seen = see(colour, View(v));
                    sums[m][v].r += seen.r;
                    sums[m][v].g += seen.g;
                    sums[m][v].b += seen.b;
                }
            }
        }
    }
}

}  // namespace

Measurement measure(const std::vector<Face>& faces) {
    Measurement result;
    for (int k = 0; k < kGroupCount; ++k) {
        const Group& group = kGroups[k];
        Linear sums[kMeasureCount][kViewCount] = {};
        long pixels[kMeasureCount] = {};
        for (int f = group.firstFace; f < group.firstFace + group.faceCount; ++f) {
            addFace(faces.at(f), sums, pixels);
        }
        for (int m = 0; m < kMeasureCount; ++m) {
            GroupColour& colour = result.groups[m][k];
            colour.pixels = pixels[m];
            const double n = pixels[m] > 0 ? double(pixels[m]) : 1.0;
            for (int v = 0; v < kViewCount; ++v) {
                colour.mean[v] = {sums[m][v].r / n, sums[m][v].g / n, sums[m][v].b / n};
                colour.lab[v] = toLab(colour.mean[v]);
            }
        }
    }
    for (int i = 0; i < kGroupCount; ++i) {
        for (int j = i + 1; j < kGroupCount; ++j) {
            PairDifference pair{i, j, boundBetween(kGroups[i], kGroups[j]), {}};
            for (int m = 0; m < kMeasureCount; ++m) {
                for (int v = 0; v < kViewCount; ++v) {
                    pair.delta[m][v] =
                        ciede2000(result.groups[m][i].lab[v], result.groups[m][j].lab[v]);
                }
            }
            result.pairs.push_back(pair);
        }
    }
    return result;
}

std::vector<std::string> shortfalls(const Measurement& measurement) {
    std::vector<std::string> lines;
    for (const PairDifference& pair : measurement.pairs) {
        for (int m = 0; m < kMeasureCount; ++m) {
            for (int v = 0; v < kCheckedViewCount; ++v) {
                if (!(pair.delta[m][v] >= pair.bound)) {
                    lines.push_back(pairName(pair) + ", " + measureName(Measure(m)) + ", " +
                                    viewName(View(v)) + ": " + fixed1(pair.delta[m][v]) + " < " +
                                    fixed1(pair.bound));
                }
            }
        }
    }
    return lines;
}

namespace {

// The rest of a table's header after its first two columns (a name and a number):
// one column a view, each ruled with `rule`.
std::string viewColumns(const char* rule) {
    std::string header;
    for (int v = 0; v < kViewCount; ++v) {
        header += std::string(" ") + viewName(View(v)) + " |";
    }
    header += "\n|---|---:|";
    for (int v = 0; v < kViewCount; ++v) {
        header += rule;
    }
    return header + "\n";
}

}  // namespace

std::string markdownTables(const Measurement& measurement) {
    const char* const kWhat[kMeasureCount] = {
        "the frames (rim and bevel, outside the paper)",
        "the inks (all that is not paper: frame, outlines, marks, pictures)"};
    std::string out;
    for (int m = 0; m < kMeasureCount; ++m) {
        out += std::string(m > 0 ? "\n" : "") + "CIEDE2000 between " + kWhat[m] +
               " of two groups; the bound holds in the four views, greyscale is shown for "
               "reference. A difference below its bound is in bold.\n\n| pair | bound |" +
               viewColumns("---:|");
        for (const PairDifference& pair : measurement.pairs) {
            out += "| " + pairName(pair) + " | " + fixed1(pair.bound) + " |";
            for (int v = 0; v < kViewCount; ++v) {
                const std::string value = fixed1(pair.delta[m][v]);
                const bool short_ = v < kCheckedViewCount && !(pair.delta[m][v] >= pair.bound);
                out += " " + (short_ ? "**" + value + "**" : value) + " |";
            }
            out += "\n";
        }
        out += std::string("\nEach group's ") + measureName(Measure(m)) +
               " as seen in each view: its colour (sRGB), then its lightness L\\* (CIELAB, 0 "
               "black to 100 white), over the number of pixels pooled from its faces.\n\n"
               "| group | pixels |" +
               viewColumns("---|");
        for (int k = 0; k < kGroupCount; ++k) {
            const GroupColour& colour = measurement.groups[m][k];
            out += std::string("| ") + kGroups[k].letter + " " + kGroups[k].name + " | " +
                   std::to_string(colour.pixels) + " |";
            for (int v = 0; v < kViewCount; ++v) {
                out += " `" + hex(colour.mean[v]) + "` L\\* " + fixed1(colour.lab[v].L) + " |";
            }
            out += "\n";
        }
    }
    return out;
}

}  // namespace colour_vision

// The rasteriser against pixman on the same pixels: alpha-blending a
// 256 x 256 32-bit picture onto a surface (pixman's OVER), and rotated and
// scaled drawing with nearest and bilinear sampling (pixman's transformed
// composite). Each pair runs in one program so the figures sit side by side.
#include "engine/modules/Blitters.h"
#include "engine/modules/Rasteriser.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace engine;

constexpr int kPicture = 256;
constexpr int kSurface = 512;

// A sprite-like picture: opaque inside, transparent corners, a soft edge of
// partial alpha; or every pixel of random alpha.
std::vector<uint32_t> MakePixels(bool randomAlpha)
{
    std::mt19937 rng(7);
    std::vector<uint32_t> px(static_cast<size_t>(kPicture) * kPicture);
    for (int y = 0; y < kPicture; ++y)
        for (int x = 0; x < kPicture; ++x) {
            uint32_t a;
            if (randomAlpha) {
                a = rng() & 255;
            } else {
                double dx = std::max(0.0, std::abs(x - 127.5) - 100.0);
                double dy = std::max(0.0, std::abs(y - 127.5) - 100.0);
                double d = std::sqrt(dx * dx + dy * dy);
                a = d >= 28 ? 0 : d <= 20 ? 255 : static_cast<uint32_t>((28 - d) * 255 / 8);
            }
            uint32_t rgb = rng() & 0xFFFFFF;
            px[static_cast<size_t>(y) * kPicture + x] = (a << 24) | rgb;
        }
    return px;
}

// Pixman wants premultiplied colour; the same alpha with channels scaled.
std::vector<uint32_t> Premultiply(const std::vector<uint32_t>& px)
{
    std::vector<uint32_t> out(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        uint32_t a = px[i] >> 24;
        uint32_t v = a << 24;
        for (int s = 0; s < 24; s += 8)
            v |= ((((px[i] >> s) & 255) * a) / 255) << s;
        out[i] = v;
    }
    return out;
}

struct Fixture {
    PictureData picture;
    std::vector<uint32_t> premultiplied;
    std::vector<uint32_t> dest;

    explicit Fixture(bool randomAlpha)
        : dest(static_cast<size_t>(kSurface) * kSurface, 0xFF336699)
    {
        std::vector<uint32_t> px = MakePixels(randomAlpha);
        picture.frameWidth = kPicture;
        picture.frameHeight = kPicture;
        picture.frameCount = 1;
        picture.flags = kPictureAlpha;
        picture.pixels.resize(px.size() * 4);
        std::memcpy(picture.pixels.data(), px.data(), picture.pixels.size());
        premultiplied = Premultiply(px);
    }
    DrawSurface Surface() { return DrawSurface { reinterpret_cast<uint8_t*>(dest.data()), kSurface, kSurface, 4, kNoColourKey }; }
};

// ---- ours ----

void Ours(benchmark::State& state, bool randomAlpha, double angle, int size, uint32_t flags)
{
    Fixture f(randomAlpha);
    DrawSurface s = f.Surface();
    for (auto _ : state) {
        DrawRequest r;
        r.angle = angle;
        r.centreX = kSurface / 2;
        r.centreY = kSurface / 2;
        r.width = size;
        r.height = size;
        r.flags = flags;
        DrawPicture(s, r, f.picture, 0, 0, kPicture, kPicture, 1.0, kNoMatte);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(size) * size);
}

// ---- pixman ----

void Pixman(benchmark::State& state, bool randomAlpha, double angle, int size, pixman_filter_t filter)
{
    Fixture f(randomAlpha);
    pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kPicture, kPicture, f.premultiplied.data(), kPicture * 4);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSurface, kSurface, f.dest.data(), kSurface * 4);
    // Destination box: the square that holds the turned picture, or the
    // scaled picture's box.
    const double radians = angle * M_PI / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const double scale = double(kPicture) / size;
    int box = size;
    if (angle != 0.0)
        box = 2 * static_cast<int>(std::sqrt(2.0) * size / 2);
    const int left = kSurface / 2 - box / 2;
    const int top = kSurface / 2 - box / 2;
    if (angle != 0.0 || size != kPicture) {
        // Destination point (relative to the box) to source point.
        const double cd = box / 2.0;
        const double cs = kPicture / 2.0;
        pixman_transform_t t;
        const double m00 = c * scale, m01 = -s * scale, m10 = s * scale, m11 = c * scale;
        pixman_transform_init_identity(&t);
        t.matrix[0][0] = pixman_double_to_fixed(m00);
        t.matrix[0][1] = pixman_double_to_fixed(m01);
        t.matrix[0][2] = pixman_double_to_fixed(cs - (m00 * cd + m01 * cd));
        t.matrix[1][0] = pixman_double_to_fixed(m10);
        t.matrix[1][1] = pixman_double_to_fixed(m11);
        t.matrix[1][2] = pixman_double_to_fixed(cs - (m10 * cd + m11 * cd));
        pixman_image_set_transform(src, &t);
        pixman_image_set_filter(src, filter, nullptr, 0);
    }
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, left, top, box, box);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(size) * size);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

constexpr uint32_t kNearest = 0;
constexpr uint32_t kBilinear = DrawFlags::kBilinear;
constexpr uint32_t kPrecise = DrawFlags::kPrecise;

} // namespace

// Unrotated alpha blend, 256 x 256.
BENCHMARK_CAPTURE(Ours, blend_sprite, false, 0.0, kPicture, kNearest);
BENCHMARK_CAPTURE(Pixman, blend_sprite_over, false, 0.0, kPicture, PIXMAN_FILTER_NEAREST);
BENCHMARK_CAPTURE(Ours, blend_random_alpha, true, 0.0, kPicture, kNearest);
BENCHMARK_CAPTURE(Pixman, blend_random_alpha_over, true, 0.0, kPicture, PIXMAN_FILTER_NEAREST);
// Rotated by 30 degrees: x1024 nearest and 16.16 bilinear.
BENCHMARK_CAPTURE(Ours, rotate30_nearest, false, 30.0, kPicture, kNearest);
BENCHMARK_CAPTURE(Pixman, rotate30_nearest, false, 30.0, kPicture, PIXMAN_FILTER_NEAREST);
BENCHMARK_CAPTURE(Ours, rotate30_bilinear, false, 30.0, kPicture, kPrecise);
BENCHMARK_CAPTURE(Pixman, rotate30_bilinear, false, 30.0, kPicture, PIXMAN_FILTER_BILINEAR);
// Scaled to 384 x 384.
BENCHMARK_CAPTURE(Ours, scale384_nearest, false, 0.0, 384, kNearest);
BENCHMARK_CAPTURE(Pixman, scale384_nearest, false, 0.0, 384, PIXMAN_FILTER_NEAREST);
BENCHMARK_CAPTURE(Ours, scale384_bilinear, false, 0.0, 384, kBilinear);
BENCHMARK_CAPTURE(Pixman, scale384_bilinear, false, 0.0, 384, PIXMAN_FILTER_BILINEAR);
BENCHMARK_MAIN();

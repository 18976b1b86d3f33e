// Draws the demo templates' pictures and writes them as bitmap files into a PICTURES
// folder, each at another depth so that the demo shows every kind the program reads:
// GL200.BMP (panel front, 24 bits), KEYPAD.BMP (keypad, 8-bit palette), DETECTOR.BMP
// (motion detector, 4-bit palette) and SIREN.BMP (siren, 1 bit).
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using Colour = std::uint32_t;  // 0xRRGGBB

struct Canvas {
    int width, height;
    std::vector<Colour> pixels;  // top row first
    Canvas(int w, int h, Colour background)
        : width(w), height(h), pixels(static_cast<std::size_t>(w * h), background) {}

    void set(int x, int y, Colour c) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[static_cast<std::size_t>(y * width + x)] = c;
    }
    void fill(int x, int y, int w, int h, Colour c) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                set(i, j, c);
    }
    void frame(int x, int y, int w, int h, Colour c) {
        fill(x, y, w, 1, c);
        fill(x, y + h - 1, w, 1, c);
        fill(x, y, 1, h, c);
        fill(x + w - 1, y, 1, h, c);
    }
    // A filled ellipse inside the rectangle.
    void ellipse(int x, int y, int w, int h, Colour c) {
        const double cx = x + (w - 1) / 2.0, cy = y + (h - 1) / 2.0, rx = w / 2.0, ry = h / 2.0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) {
                const double dx = (i - cx) / rx, dy = (j - cy) / ry;
                if (dx * dx + dy * dy <= 1.0) set(i, j, c);
            }
    }
};

void le(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

std::size_t nearest(const std::vector<Colour>& palette, Colour c) {
    auto distance = [c](Colour p) {
        long d = 0;
        for (int s = 0; s < 24; s += 8) {
            const long a = static_cast<long>(c >> s & 0xFF) - static_cast<long>(p >> s & 0xFF);
            d += a * a;
        }
        return d;
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < palette.size(); ++i)
        if (distance(palette[i]) < distance(palette[best])) best = i;
    return best;
}

// Headers, colour table (the palette for 1, 4 and 8 bits), rows bottom-up padded to words.
bool write(const std::filesystem::path& path, const Canvas& canvas, int bits,
           const std::vector<Colour>& palette = {}) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(canvas.width * bits) + 31) / 32 * 4;
    const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(canvas.height);
    const auto tableBytes = static_cast<std::uint32_t>(4 * palette.size());
    std::string out = "BM";
    le(out, 54 + tableBytes + imageSize, 4);
    le(out, 0, 4);
    le(out, 54 + tableBytes, 4);
    le(out, 40, 4);
    le(out, static_cast<std::uint32_t>(canvas.width), 4);
    le(out, static_cast<std::uint32_t>(canvas.height), 4);
    le(out, 1, 2);
    le(out, static_cast<std::uint32_t>(bits), 2);
    for (std::uint32_t v :
         {0u, imageSize, 2835u, 2835u, static_cast<std::uint32_t>(palette.size()), 0u})
        le(out, v, 4);
    for (Colour c : palette)
        le(out, c, 4);  // blue, green, red, 0
    for (int y = canvas.height - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < canvas.width; ++x) {
            const Colour c = canvas.pixels[static_cast<std::size_t>(y * canvas.width + x)];
            if (bits == 24) {
                for (int s = 0; s < 3; ++s)
                    row[static_cast<std::size_t>(3 * x + s)] =
                        static_cast<char>(c >> (8 * s) & 0xFF);
                continue;
            }
            const auto index = static_cast<unsigned>(nearest(palette, c));
            const auto bit = static_cast<std::size_t>(x * bits);
            row[bit / 8] = static_cast<char>(static_cast<unsigned char>(row[bit / 8]) |
                                             index << (8 - bits - static_cast<int>(bit % 8)));
        }
        out += row;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

constexpr Colour kBlack = 0x000000, kWhite = 0xFFFFFF, kHousing = 0xE4E2DA, kEdge = 0x8C8A84,
                 kDark = 0x3A3C40, kDisplay = 0x1E3A2A, kLit = 0x9CE6A8, kKey = 0xFAFAF6,
                 kBlue = 0x2D5AA0, kGreen = 0x2EB84A, kYellow = 0xF2C230, kRed = 0xD8342C;

// The GL 200 panel front: housing shaded from top to bottom, display, LEDs and keys.
Canvas panelFront() {
    Canvas c(128, 96, kWhite);
    for (int y = 0; y < c.height; ++y) {
        const auto shade = static_cast<Colour>(0xF0 - y * 0x30 / c.height);
        c.fill(0, y, c.width, 1, shade << 16 | shade << 8 | (shade - 8));
    }
    c.frame(0, 0, 128, 96, kEdge);
    c.fill(1, 1, 126, 10, kBlue);
    c.fill(8, 4, 36, 4, kWhite);  // name plate
    c.fill(10, 18, 70, 22, kDark);
    c.fill(12, 20, 66, 18, kDisplay);
    c.fill(16, 24, 40, 3, kLit);
    c.fill(16, 30, 26, 3, kLit);
    const Colour leds[] = {kGreen, kYellow, kRed};
    for (int i = 0; i < 3; ++i)
        c.ellipse(92 + 11 * i, 24, 7, 7, leds[i]);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col) {
            c.fill(30 + 24 * col, 48 + 11 * row, 20, 9, kEdge);
            c.fill(30 + 24 * col, 48 + 11 * row, 19, 8, kKey);
        }
    return c;
}

std::vector<Colour> keypadPalette() {
    std::vector<Colour> p = {kBlack,   kWhite, kHousing, kEdge,  kDark,
                             kDisplay, kLit,   kKey,     kGreen, kRed};
    for (Colour g = 0; g < 16; ++g)
        p.push_back(0x404040 + g * 0x0A0A0A);  // shading steps
    return p;
}

// A keypad: a dark body with a small display and twelve light keys.
Canvas keypad() {
    Canvas c(48, 64, kHousing);
    c.fill(0, 0, 48, 64, kDark);
    for (int y = 1; y < 63; ++y)
        c.fill(1, y, 46, 1, 0x404040 + static_cast<Colour>(y / 4) * 0x0A0A0A);
    c.fill(6, 5, 36, 10, kDisplay);
    c.fill(9, 8, 18, 2, kLit);
    c.ellipse(34, 8, 4, 4, kGreen);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            c.fill(6 + 13 * col, 20 + 10 * row, 10, 7, kKey);
    c.fill(6, 60, 36, 1, kRed);
    return c;
}

// The sixteen colours of a 4-bit picture.
std::vector<Colour> detectorPalette() {
    return {kBlack,   0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
            0x808080, kRed,     kGreen,   kYellow,  kBlue,    0xFF00FF, 0x00FFFF, kWhite};
}

// A wall-mounted motion detector: white housing, dark lens, red LED.
Canvas detector() {
    Canvas c(40, 56, 0xC0C0C0);
    c.fill(8, 2, 24, 4, 0x808080);  // bracket
    c.ellipse(4, 4, 32, 48, 0x808080);
    c.ellipse(5, 5, 30, 46, kWhite);
    c.ellipse(10, 20, 20, 22, kBlack);
    c.ellipse(13, 24, 8, 6, 0x808080);  // glint on the lens
    c.ellipse(18, 10, 4, 4, kRed);
    return c;
}

// A siren, drawn in black on white.
Canvas siren() {
    Canvas c(40, 40, kWhite);
    c.ellipse(6, 6, 28, 28, kBlack);
    c.ellipse(9, 9, 22, 22, kWhite);
    c.ellipse(14, 14, 12, 12, kBlack);
    for (int i = 0; i < 4; ++i) {
        c.fill(19, 1 + i, 2, 1, kBlack);
        c.fill(19, 35 + i, 2, 1, kBlack);
        c.fill(1 + i, 19, 1, 2, kBlack);
        c.fill(35 + i, 19, 1, 2, kBlack);
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_demo_pictures PICTURES-FOLDER\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const bool ok = write(dir / "GL200.BMP", panelFront(), 24) &&
                    write(dir / "KEYPAD.BMP", keypad(), 8, keypadPalette()) &&
                    write(dir / "DETECTOR.BMP", detector(), 4, detectorPalette()) &&
                    write(dir / "SIREN.BMP", siren(), 1, {kBlack, kWhite});
    if (!ok) {
        std::cerr << "make_demo_pictures: cannot write into " << dir.string() << "\n";
        return 1;
    }
    return 0;
}

#include "JpegAverages.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace JpegAverages {

namespace {

// A Huffman table, as its decoding needs it.
struct HuffmanTable
{
    // Codes of up to FastBits bits, by the next FastBits bits of the data:
    // length << 8 | symbol; 0 for a longer code.
    static constexpr int FastBits = 9;
    std::uint16_t fast[1 << FastBits];
    // Longer codes, canonically: the largest code of each length (-1 for
    // none) and where the symbols of that length begin.
    std::int32_t maxCode[17];
    std::int32_t valueOffset[17];
    std::uint8_t values[256];

    // An AC table's codes that are stepped over whole, by the next SkipBits
    // bits: the code and its value's bits together, how far along the block
    // they move, and whether they end it. 0 where the code and its value
    // are longer.
    static constexpr int SkipBits = 11;
    std::uint16_t skip[1 << SkipBits];
};

constexpr std::uint16_t skipEntry(int bits, int advance, bool endsBlock)
{
    return std::uint16_t(bits | advance << 5 | (endsBlock ? 1 << 15 : 0));
}

// False for a table no decoder could use (libjpeg refuses the same ones).
bool makeTable(const JHUFF_TBL *table, HuffmanTable &h, bool ac)
{
    if (!table)
        return false;
    std::memset(h.fast, 0, sizeof h.fast);
    std::memset(h.skip, 0, sizeof h.skip);
    int count = 0;
    for (int length = 1; length <= 16; ++length)
        count += table->bits[length];
    if (count > 256)
        return false;
    std::memcpy(h.values, table->huffval, sizeof h.values);
    std::int32_t code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        const int n = table->bits[length];
        h.valueOffset[length] = k - code;
        h.maxCode[length] = n ? code + n - 1 : -1;
        if (code + n > (1 << length))
            return false;
        for (int i = 0; i < n; ++i, ++code, ++k) {
            const std::uint8_t symbol = table->huffval[k];
            if (!ac && symbol > 15)
                return false;
            if (length <= HuffmanTable::FastBits) {
                const int spread = HuffmanTable::FastBits - length;
                for (int j = 0; j < 1 << spread; ++j)
                    h.fast[(code << spread) | j] = std::uint16_t(length << 8 | symbol);
            }
            const int run = symbol >> 4;
            const int valueBits = symbol & 15;
            if (ac && length + valueBits <= HuffmanTable::SkipBits) {
                const int spread = HuffmanTable::SkipBits - length;
                std::uint16_t entry = 0;
                if (symbol == 0)
                    entry = skipEntry(length, 0, true);
                else if (valueBits)
                    entry = skipEntry(length + valueBits, run + 1, false);
                else if (run == 15)
                    entry = skipEntry(length, 16, false);
                // Any other symbol without a value is damage: the slow path
                // treats it as libjpeg does.
                for (int j = 0; entry && j < 1 << spread; ++j)
                    h.skip[(code << spread) | j] = entry;
            }
        }
        code <<= 1;
    }
    return true;
}

// The coded data of one stretch between restart markers, stuffed zero bytes
// taken out, in one buffer followed by zeros: a read up to 57 bits ahead
// never leaves it, and a stretch read past its end is found after each
// block, long before the zeros run out.
struct Segments
{
    static constexpr std::size_t Padding = 1024;
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> ends; // each stretch's end in bytes; the first begins at 0
};

Segments unstuff(const unsigned char *scan, std::size_t size)
{
    Segments s;
    s.bytes.resize(size + Segments::Padding);
    std::uint8_t *out = s.bytes.data();
    std::size_t i = 0;
    while (i < size) {
        const auto *ff = static_cast<const unsigned char *>(std::memchr(scan + i, 0xFF, size - i));
        const std::size_t at = ff ? std::size_t(ff - scan) : size;
        std::memcpy(out, scan + i, at - i);
        out += at - i;
        if (at + 1 >= size)
            break;
        const unsigned char next = scan[at + 1];
        if (next == 0x00) {
            *out++ = 0xFF;
            i = at + 2;
        } else if (next == 0xFF) {
            i = at + 1; // a fill byte
        } else if (next >= 0xD0 && next <= 0xD7) {
            s.ends.push_back(std::size_t(out - s.bytes.data()));
            i = at + 2;
        } else {
            break; // the end of the picture, or of its first scan
        }
    }
    s.ends.push_back(std::size_t(out - s.bytes.data()));
    std::memset(out, 0, Segments::Padding);
    return s;
}

// Bits kept in a register, refilled to 56 or more: the next code's length
// then depends on nothing but a shift and a table.
class BitReader
{
public:
    explicit BitReader(const std::uint8_t *bytes) : m_bytes(bytes) {}
    void moveTo(std::size_t byte)
    {
        m_next = byte;
        m_bits = 0;
        m_count = 0;
    }
    // Bits read so far, from the start of the buffer.
    std::size_t position() const { return m_next * 8 - std::size_t(m_count); }
    // At least 56 bits in m_bits after it: a code and its value take at
    // most 32.
    void refill()
    {
        std::uint64_t word;
        std::memcpy(&word, m_bytes + m_next, sizeof word);
        // Bits past the whole bytes taken are the next bytes' own: taken
        // again at the next refill, they are the same.
        m_bits |= __builtin_bswap64(word) >> m_count;
        m_next += std::size_t((63 - m_count) >> 3);
        m_count |= 56;
    }
    // The next n bits (1 to 32), as a number.
    std::uint32_t peek(int n) const { return std::uint32_t(m_bits >> (64 - n)); }
    void skip(int n)
    {
        m_bits <<= n;
        m_count -= n;
    }
    // A coded value of n bits, as JPEG extends its sign.
    int value(int n)
    {
        if (n == 0)
            return 0;
        const int v = int(peek(n));
        skip(n);
        return v < 1 << (n - 1) ? v - (1 << n) + 1 : v;
    }
    // The next Huffman symbol; -1 for a code the table does not hold.
    int symbol(const HuffmanTable &h)
    {
        const std::uint32_t bits = peek(16);
        if (const std::uint16_t fast = h.fast[bits >> (16 - HuffmanTable::FastBits)]) {
            skip(fast >> 8);
            return fast & 0xFF;
        }
        for (int length = HuffmanTable::FastBits + 1; length <= 16; ++length) {
            const std::int32_t code = std::int32_t(bits >> (16 - length));
            if (code <= h.maxCode[length]) {
                skip(length);
                return h.values[(code + h.valueOffset[length]) & 0xFF];
            }
        }
        return -1;
    }

private:
    const std::uint8_t *m_bytes;
    std::size_t m_next = 0;   // the first byte not yet in m_bits
    std::uint64_t m_bits = 0; // from the top bit down
    int m_count = 0;
};

// Steps over a block's 63 AC codes. False for a code the table lacks.
bool skipAc(BitReader &in, const HuffmanTable &h)
{
    for (int k = 1; k < 64;) {
        // A refill gives 56 bits or more: three codes of the table's whole
        // ones, without asking between them whether more bits are needed
        // (a branch no processor predicts).
        in.refill();
        int step = 0;
        for (; step < 3 && k < 64; ++step) {
            const std::uint16_t entry = h.skip[in.peek(HuffmanTable::SkipBits)];
            if (!entry)
                break;
            in.skip(entry & 31);
            if (entry & 1 << 15)
                return true;
            k += (entry >> 5) & 31;
        }
        if (step == 3 || k >= 64)
            continue;
        in.refill();
        const int symbol = in.symbol(h);
        if (symbol < 0)
            return false;
        const int run = symbol >> 4;
        const int valueBits = symbol & 15;
        if (valueBits) {
            in.skip(valueBits);
            k += run + 1;
        } else if (run == 15) {
            k += 16;
        } else {
            return true; // end of block
        }
    }
    return true;
}

struct Component
{
    int h = 1;
    int v = 1;
    int blocksWide = 0; // of its plane: whole MCUs' worth
    int blocksHigh = 0;
    int quant = 1;
    const HuffmanTable *dc = nullptr;
    const HuffmanTable *ac = nullptr;
    std::vector<std::uint8_t> plane; // one sample a block
};

// One block's DC into its sample, as libjpeg's 1 x 1 inverse DCT makes it.
inline std::uint8_t sampleOf(int predictor, int quant)
{
    const int coefficient = std::int16_t(predictor); // as libjpeg keeps it
    const int v = ((coefficient * quant + 4) >> 3) + 128;
    return std::uint8_t(std::clamp(v, 0, 255));
}

// JFIF's YCbCr to RGB, in the fixed point libjpeg uses.
struct ColourTables
{
    int crR[256], cbB[256], crG[256], cbG[256];
    ColourTables()
    {
        constexpr int scale = 16;
        constexpr int half = 1 << (scale - 1);
        const auto fix = [](double x) { return int(x * (1 << scale) + 0.5); };
        for (int i = 0; i < 256; ++i) {
            const int x = i - 128;
            crR[i] = (fix(1.40200) * x + half) >> scale;
            cbB[i] = (fix(1.77200) * x + half) >> scale;
            crG[i] = -fix(0.71414) * x;
            cbG[i] = -fix(0.34414) * x + half;
        }
    }
};

// A component's samples, one for each pixel of the picture at an eighth:
// those of a component sampled at half the picture's rate in a direction
// are spread over two pixels there as libjpeg's smooth upsampling does
// (three quarters of the nearer sample, one of the farther).
std::vector<std::uint8_t> atFullSize(const Component &c, int maxH, int maxV, int width, int height)
{
    const bool halfWide = c.h < maxH;
    const bool halfHigh = c.v < maxV;
    std::vector<std::uint8_t> out(std::size_t(width) * std::size_t(height));
    const auto row = [&](int y) {
        return c.plane.data() + std::size_t(std::clamp(y, 0, c.blocksHigh - 1)) * std::size_t(c.blocksWide);
    };
    // Twice and once across, then once more down: 16ths when both.
    const auto across = [&](const std::uint8_t *line, int x) {
        if (!halfWide)
            return 4 * int(line[x]);
        const int own = x >> 1;
        const int other = std::clamp(x & 1 ? own + 1 : own - 1, 0, c.blocksWide - 1);
        return 3 * int(line[own]) + int(line[other]);
    };
    for (int y = 0; y < height; ++y) {
        std::uint8_t *to = out.data() + std::size_t(y) * std::size_t(width);
        const int own = halfHigh ? y >> 1 : y;
        const std::uint8_t *near = row(own);
        if (!halfHigh) {
            for (int x = 0; x < width; ++x)
                to[x] = std::uint8_t((across(near, x) + 2) >> 2);
            continue;
        }
        const std::uint8_t *far = row(y & 1 ? own + 1 : own - 1);
        for (int x = 0; x < width; ++x)
            to[x] = std::uint8_t((3 * across(near, x) + across(far, x) + 8) >> 4);
    }
    return out;
}

} // namespace

QImage decode(const jpeg_decompress_struct &header, const unsigned char *scan, std::size_t size,
              const std::atomic_bool *cancel)
{
    const int count = header.num_components;
    const bool grey = count == 1 && header.jpeg_color_space == JCS_GRAYSCALE;
    const bool ycc = count == 3 && header.jpeg_color_space == JCS_YCbCr;
    if (header.progressive_mode || header.arith_code || header.data_precision != 8 || (!grey && !ycc)
        || header.comps_in_scan != count || header.Ss != 0 || header.Se != 63 || header.Ah != 0 || header.Al != 0
        || header.image_width == 0 || header.image_height == 0)
        return QImage();

    HuffmanTable tables[2][NUM_HUFF_TBLS];
    bool made[2][NUM_HUFF_TBLS] = {};
    int maxH = 1;
    int maxV = 1;
    // In the frame's order (Y, Cb, Cr); the scan may code them in another.
    std::vector<Component> components(static_cast<std::size_t>(count));
    int scanOrder[MAX_COMPS_IN_SCAN] = {};
    for (int i = 0; i < count; ++i) {
        const jpeg_component_info *info = header.cur_comp_info[i];
        if (!info || info->component_index < 0 || info->component_index >= count
            || std::find(scanOrder, scanOrder + i, info->component_index) != scanOrder + i)
            return QImage();
        scanOrder[i] = info->component_index;
        Component &c = components[std::size_t(info->component_index)];
        if (info->h_samp_factor < 1 || info->h_samp_factor > 2 || info->v_samp_factor < 1 || info->v_samp_factor > 2
            || info->dc_tbl_no < 0 || info->dc_tbl_no >= NUM_HUFF_TBLS || info->ac_tbl_no < 0
            || info->ac_tbl_no >= NUM_HUFF_TBLS || info->quant_tbl_no < 0 || info->quant_tbl_no >= NUM_QUANT_TBLS
            || !header.quant_tbl_ptrs[info->quant_tbl_no])
            return QImage();
        c.h = info->h_samp_factor;
        c.v = info->v_samp_factor;
        c.quant = header.quant_tbl_ptrs[info->quant_tbl_no]->quantval[0];
        for (const int ac : {0, 1}) {
            const int no = ac ? info->ac_tbl_no : info->dc_tbl_no;
            if (!made[ac][no]) {
                const JHUFF_TBL *table = ac ? header.ac_huff_tbl_ptrs[no] : header.dc_huff_tbl_ptrs[no];
                if (!makeTable(table, tables[ac][no], ac))
                    return QImage();
                made[ac][no] = true;
            }
            (ac ? c.ac : c.dc) = &tables[ac][no];
        }
        maxH = std::max(maxH, c.h);
        maxV = std::max(maxV, c.v);
    }
    const auto roundUp = [](long long n, long long d) { return int((n + d - 1) / d); };
    const int width = roundUp(header.image_width, 8);
    const int height = roundUp(header.image_height, 8);
    // A scan of one colour codes only the blocks the picture covers; one
    // of several, whole MCUs.
    const int mcusWide = count == 1 ? width : roundUp(header.image_width, 8 * maxH);
    const int mcusHigh = count == 1 ? height : roundUp(header.image_height, 8 * maxV);
    if (count == 1)
        components[0].h = components[0].v = maxH = maxV = 1;
    for (Component &c : components) {
        c.blocksWide = mcusWide * c.h;
        c.blocksHigh = mcusHigh * c.v;
        c.plane.resize(std::size_t(c.blocksWide) * std::size_t(c.blocksHigh));
    }

    const Segments segments = unstuff(scan, size);
    BitReader in(segments.bytes.data());
    const unsigned restartInterval = header.restart_interval;
    std::size_t segment = 0;
    std::size_t segmentEnd = segments.ends[0] * 8;
    unsigned leftInInterval = restartInterval;
    int predictors[MAX_COMPS_IN_SCAN] = {};
    for (int my = 0; my < mcusHigh; ++my) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return QImage();
        for (int mx = 0; mx < mcusWide; ++mx) {
            if (restartInterval) {
                if (leftInInterval == 0) {
                    if (++segment >= segments.ends.size())
                        return QImage();
                    in.moveTo(segments.ends[segment - 1]);
                    segmentEnd = segments.ends[segment] * 8;
                    std::fill(std::begin(predictors), std::end(predictors), 0);
                    leftInInterval = restartInterval;
                }
                --leftInInterval;
            }
            for (int ci = 0; ci < count; ++ci) {
                Component &c = components[std::size_t(scanOrder[ci])];
                for (int by = 0; by < c.v; ++by) {
                    for (int bx = 0; bx < c.h; ++bx) {
                        in.refill();
                        const int s = in.symbol(*c.dc);
                        if (s < 0)
                            return QImage();
                        // Kept as libjpeg keeps it, without overflow.
                        predictors[ci] = int(unsigned(predictors[ci]) + unsigned(in.value(s)));
                        if (!skipAc(in, *c.ac) || in.position() > segmentEnd)
                            return QImage();
                        const std::size_t at =
                            std::size_t(my * c.v + by) * std::size_t(c.blocksWide) + std::size_t(mx * c.h + bx);
                        c.plane[at] = sampleOf(predictors[ci], c.quant);
                    }
                }
            }
        }
    }

    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    static const ColourTables colour;
    const std::vector<std::uint8_t> luma = atFullSize(components[0], maxH, maxV, width, height);
    if (grey) {
        for (int row = 0; row < height; ++row) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
            const std::uint8_t *l = luma.data() + std::size_t(row) * std::size_t(width);
            for (int x = 0; x < width; ++x)
                line[x] = qRgb(l[x], l[x], l[x]);
        }
        return image;
    }
    const std::vector<std::uint8_t> blue = atFullSize(components[1], maxH, maxV, width, height);
    const std::vector<std::uint8_t> red = atFullSize(components[2], maxH, maxV, width, height);
    for (int row = 0; row < height; ++row) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        const std::size_t start = std::size_t(row) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const int l = luma[start + std::size_t(x)];
            const int u = blue[start + std::size_t(x)];
            const int v = red[start + std::size_t(x)];
            line[x] = qRgb(std::clamp(l + colour.crR[v], 0, 255),
                           std::clamp(l + ((colour.cbG[u] + colour.crG[v]) >> 16), 0, 255),
                           std::clamp(l + colour.cbB[u], 0, 255));
        }
    }
    return image;
}

} // namespace JpegAverages

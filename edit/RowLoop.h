// The one pixel loop that adjustments and filters share. It hands an operation whole
// rows of a layer (rows as stored: y = 0 is the bottom row) as `Bgr` pixels, expands a
// palette layer to true colour once and maps the results back to palette indices once
// per operation, writes back through the selection mask (and the edge-spread weights),
// splits the rows over the machine's cores, reports progress to the document's host and
// stops early when the host asks (the layer then stays exactly as it was). Every row of
// the result depends only on the layer as it was and the row's index, so the result is
// the same whatever the number of threads.
//
// A point operation supplies only colour -> colour:
//     ForEachPixel(doc, layer, options, [](Bgr c) { return Bgr{c.r, c.g, c.b}; });
// A neighbourhood operation writes one result row from any rows of the source:
//     ForEachRow(doc, layer, options, [](const RowSource& src, int y, std::span<Bgr> out) {...});
//
// Cost: the result is built in the document's working buffer and swapped in at the
// end (no copy of the layer); a palette layer also costs one true-colour copy for a
// row operation. Inside a change of every layer, whose step already holds a copy of the
// layer as it was (History::untouchedSlot), the loop reads that copy and writes the
// layer in place: no working buffer at all. The loop does not record a history step:
// run it inside a LayerChange.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "Document.h"
#include "Status.h"

// One pixel as 24-bit rows store it: blue, green, red.
struct Bgr {
    uint8_t b = 0, g = 0, r = 0;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};
static_assert(sizeof(Bgr) == 3, "Bgr matches the bytes of a 24-bit row");

// The layer as the operation found it (true colour, rows bottom-up). Any row may be read
// while any row of the result is written.
class RowSource {
public:
    // `rowBytes`: bytes from one row's start to the next (24-bit rows are padded).
    RowSource(const uint8_t* pixels, size_t rowBytes, const uint8_t* alpha, int width, int height)
        : m_pixels(pixels), m_pitch(rowBytes), m_alpha(alpha), m_width(width), m_height(height) {}
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::span<const Bgr> Row(int y) const {
        return {reinterpret_cast<const Bgr*>(m_pixels + size_t(y) * m_pitch), size_t(m_width)};
    }
    // Opacity bytes of the row: 0 empty .. 255 covered.
    std::span<const uint8_t> Alpha(int y) const { return {m_alpha + size_t(y) * size_t(m_width), size_t(m_width)}; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

private:
    const uint8_t* m_pixels;
    size_t m_pitch;
    const uint8_t* m_alpha;
    int m_width, m_height;
};

struct RowLoopOptions {
    // Only pixels whose selection-mask byte is not 0 change (the painting tools' rule).
    bool selection = true;
    // With the selection: a changed pixel's opacity rises to its edge-spread weight, as
    // the fill's does; 0 leaves every opacity as it is.
    int spread = 0;
    // Pixels of opacity 0 keep their colour.
    bool skipTransparent = true;
    // 0: every core; 1: only the calling thread (operations that must run in order).
    int threads = 0;
    // A point operation on a palette canvas changes the palette entries themselves
    // (every layer of the canvas shows the change; selection and opacity play no
    // part) instead of mapping each pixel to the nearest existing entry.
    bool paletteEntries = false;
};

// Writes row y of the result into `out`, which holds row y as it was.
using RowFunction = std::function<void(const RowSource& source, int y, std::span<Bgr> out)>;
using PointFunction = std::function<Bgr(Bgr)>;

// At most `threads` threads for every loop from now on (0: every core). Results do not
// depend on it; tests and benchmarks compare and time with it.
void SetRowLoopThreadLimit(int threads);

// Runs `row` over every row of `layer` (a raster, backdrop, floating or measurement
// layer of the document at its canvas depth). Ok when it ran to the end (the layer
// holds the result); Status::Stopped() when the host's Cancelled() said so (the layer
// is untouched); a failed Status when memory ran out. Progress goes to the host as a
// percentage of rows done and back to 0 at the end.
Status ForEachRow(COrinDoc& doc, LayerRecord& layer, const RowLoopOptions& options, const RowFunction& row);

// Reads every row of `layer` without changing it (maps that an effect builds before it
// paints): the same rows, threads, progress and stop as ForEachRow. `row` writes only
// its own row's entries of whatever it fills, so the result is the same whatever the
// number of threads (0: every core, 1: rows in order on the calling thread).
using SourceRowFunction = std::function<void(const RowSource& source, int y)>;
Status ForEachSourceRow(COrinDoc& doc, const LayerRecord& layer, int threads, const SourceRowFunction& row);

// The loop for a point operation; `point` is `Bgr f(Bgr)`. On a palette layer it maps
// each palette entry once instead of every pixel.
template <class Point>
Status ForEachPixel(COrinDoc& doc, LayerRecord& layer, const RowLoopOptions& options, Point point);

// Part of the host's progress bar that one run fills: its 0..100 % shows as
// first .. first + span (a command that walks several layers gives each its share).
struct ProgressShare {
    int first = 0;
    int span = 100;
};

// The scheduler every loop over rows shares: rows 0 .. rows-1 go out in blocks to
// RowWorkers(rows, threads) threads (threads 0: every usable core, at most the
// SetRowLoopThreadLimit); `body(first, last, worker)`
// handles rows first .. last-1, `worker` (0 .. workers-1) names the thread's own scratch.
// The calling thread reports progress and asks Cancelled() between blocks; false when
// the host stopped it (some blocks then never ran). Results must not depend on which
// worker runs a block. `blockRows` > 0 asks for blocks of that many rows (tiled work).
using RowBlockFunction = std::function<void(int first, int last, int worker)>;
int RowWorkers(int rows, int threads);
bool RunRowBlocks(Workspace& workspace, int rows, int threads, const RowBlockFunction& body, ProgressShare share = {},
                  int blockRows = 0);

// The step's copy of `layer` while a change of every layer visits it and it is still
// exactly as copied (History::untouchedSlot), null otherwise. An operation given a copy
// may read the copy and write the layer in place, or drop the layer's buffers first;
// when it fails or is stopped it puts the layer back from the copy, and when it has
// changed the layer it sets untouchedSlot to -1.
const LayerRecord* UntouchedCopy(const COrinDoc& doc, const LayerRecord& layer);

// Reads every row of a layer as true colour without changing it (histograms, channel
// splits, measurements): `row(y, pixels, alpha)` for y = 0 .. height - 1 in order, on
// the calling thread. A palette layer is expanded one row at a time.
using ScanFunction = std::function<void(int y, std::span<const Bgr> pixels, std::span<const uint8_t> alpha)>;
void ScanLayerRows(const COrinDoc& doc, const LayerRecord& layer, const ScanFunction& row);

namespace rowloop_detail {
Status Run(COrinDoc& doc, LayerRecord& layer, const RowLoopOptions& options, const RowFunction& row,
           const PointFunction* point);
}

template <class Point>
Status ForEachPixel(COrinDoc& doc, LayerRecord& layer, const RowLoopOptions& options, Point point) {
    // The row form keeps `point` inlined in the inner loop.
    const RowFunction row = [&point](const RowSource& source, int y, std::span<Bgr> out) {
        const Bgr* in = source.Row(y).data();
        Bgr* o = out.data();
        const size_t n = out.size();
        for (size_t x = 0; x < n; ++x) o[x] = point(in[x]);
    };
    const PointFunction each = [&point](Bgr c) { return point(c); };
    return rowloop_detail::Run(doc, layer, options, row, &each);
}

// The batch tool's tool and mouse-event operations:
//   tool:id=N                       choose a tool as its tool-bar button does
//   press:x=,y=[,shift=1]  move:x=,y=  release:x=,y=  dblclick:x=,y=
//                                   mouse events at view points (the zoomed picture,
//                                   origin top-left, y down; clamped to the picture)
//   zoom:factor=F                   the zoom of the view points (a power of two, 1/16..16)
//   key:code=N[,flags=F]            a key press (37..40 arrows; flags 0x402A = held Shift)
//   keyup:code=N[,repeat=R]         a key release
//   set:fg=#RRGGBB,bg=#RRGGBB,brush=N,soft=0|1,limit=N,spread=N,tolerance=N,
//       rangemode=0|1,gradkind=1|2,gradshape=1|2   (any subset)
//   pick:x=,y=                      the colour-range pick at a view point
#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "BatchRun.h"
#include "CommandMap.h"
#include "Selection.h"
#include "SimilarArea.h"
#include "ToolEvents.h"
#include "ToolRouter.h"
#include "ViewState.h"

namespace batch {
namespace {

bool Has(const CommandArgs& a, const char* key) { return a.count(key) != 0; }

// Reads x and y and clamps them to the zoomed picture, as the view clamps clicks
// outside the picture to its nearest edge.
Status ViewPoint(Context& c, const CommandArgs& a, int& x, int& y) {
    if (!Has(a, "x") || !Has(a, "y")) return Status::Fail("x= and y= are needed");
    x = ArgInt(a, "x", INT32_MIN);
    y = ArgInt(a, "y", INT32_MIN);
    if (x == INT32_MIN || y == INT32_MIN) return Status::Fail("x and y must be integers");
    const COrinDoc& doc = *c.doc;
    const int width = int(std::trunc(double(ViewOf(doc).zoom) * doc.canvas.width));
    const int height = int(std::trunc(double(ViewOf(doc).zoom) * doc.canvas.height));
    x = std::clamp(x, 0, std::max(0, width - 1));
    y = std::clamp(y, 0, std::max(0, height - 1));
    return Status::Ok();
}

template <class Event>
NamedOp MouseOp(Event event) {
    return [event](Context& c, const CommandArgs& a) -> Status {
        int x = 0, y = 0;
        if (Status s = ViewPoint(c, a, x, y); !s) return s;
        return event(*c.doc, x, y);
    };
}

unsigned ParseFlags(const CommandArgs& a) {
    auto it = a.find("flags");
    if (it == a.end()) return 0;
    return unsigned(std::strtoul(it->second.c_str(), nullptr, 0));
}

Status SetValues(Context& c, const CommandArgs& a) {
    Workspace& ws = c.workspace;
    auto range = [&](const char* key, int lo, int hi, int& target) -> Status {
        if (!Has(a, key)) return Status::Ok();
        const int v = ArgInt(a, key, INT32_MIN);
        if (v < lo || v > hi)
            return Status::Fail(std::string(key) + " must be " + std::to_string(lo) + ".." + std::to_string(hi));
        target = v;
        return Status::Ok();
    };
    int soft = ws.soft;
    for (Status s : {range("brush", 1, 8, ws.brushSize), range("soft", 0, 1, soft), range("limit", 0, 60, ws.inclusionLimit),
                     range("spread", 0, 255, ws.edgeSpread), range("tolerance", 0, 255, ws.rangeTolerance),
                     range("rangemode", 0, 1, ws.rangeMode), range("gradkind", 1, 2, ws.gradientKind),
                     range("gradshape", 1, 2, ws.gradientShape)})
        if (!s) return s;
    ws.soft = soft;
    for (const char* key : {"fg", "bg"}) {
        if (!Has(a, key)) continue;
        const uint32_t none = 0xFFFFFFFFu;
        const uint32_t colour = ArgColour(a, key, none);
        if (colour == none || colour > 0xFFFFFF) return Status::Fail(std::string(key) + " must be #RRGGBB");
        (std::string(key) == "fg" ? ws.foreground : ws.background) = colour;
    }
    return Status::Ok();
}

Status SetZoom(Context& c, const CommandArgs& a) {
    auto it = a.find("factor");
    if (it == a.end()) return Status::Fail("factor= is needed");
    char* end = nullptr;
    const double f = std::strtod(it->second.c_str(), &end);
    int exponent = 0;
    const bool power = *end == '\0' && f > 0 && std::frexp(f, &exponent) == 0.5;
    if (!power || f < 1.0 / 16 || f > 16) return Status::Fail("zoom factor must be a power of two from 1/16 to 16");
    ViewOf(*c.doc).zoom = float(f);
    return Status::Ok();
}

}  // namespace

void RegisterToolOps(std::map<std::string, NamedOp>& ops) {
    ops["tool"] = [](Context& c, const CommandArgs& a) {
        if (!Has(a, "id")) return Status::Fail("id= is needed");
        return ChooseToolCommand(c.doc.get(), c.workspace, ArgInt(a, "id", -1));
    };
    ops["press"] = [](Context& c, const CommandArgs& a) -> Status {
        int x = 0, y = 0;
        if (Status s = ViewPoint(c, a, x, y); !s) return s;
        // shift=1: Shift held at the click (adds to the automatic selection).
        if (ArgInt(a, "shift", 0) != 0) ViewOf(*c.doc).addToSelection = true;
        return ToolPress(*c.doc, x, y);
    };
    ops["move"] = MouseOp([](COrinDoc& d, int x, int y) { return ToolDrag(d, x, y, kMouseLeft); });
    ops["release"] = MouseOp([](COrinDoc& d, int x, int y) { return ToolRelease(d, x, y); });
    ops["dblclick"] = MouseOp([](COrinDoc& d, int x, int y) { return ToolDoubleClickAt(d, x, y); });
    ops["pick"] = MouseOp([](COrinDoc& d, int x, int y) {
        ColourRangePick(d, x, y);
        return Status::Ok();
    });
    ops["zoom"] = SetZoom;
    ops["key"] = [](Context& c, const CommandArgs& a) {
        if (!Has(a, "code")) return Status::Fail("code= is needed");
        return ToolKey(*c.doc, ArgInt(a, "code", 0), ParseFlags(a));
    };
    ops["keyup"] = [](Context& c, const CommandArgs& a) {
        if (!Has(a, "code")) return Status::Fail("code= is needed");
        ToolKeyUp(*c.doc, ArgInt(a, "code", 0), ArgInt(a, "repeat", 1));
        return Status::Ok();
    };
    ops["set"] = SetValues;
}

}  // namespace batch

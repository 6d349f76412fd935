#include "BlendRow.h"

#include <algorithm>

#include "Layer.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "BlendRow.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tessaro_blend {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DI = hn::ScalableTag<int32_t>;
using VI = hn::Vec<DI>;

// floor(x / 65025) for 0 <= x < 2^24: the float quotient is off by at most one, which the
// remainder mends.
HWY_INLINE VI Div65025(DI di, VI x) {
    const hn::RebindToFloat<DI> df;
    VI q = hn::ConvertTo(di, hn::Mul(hn::ConvertTo(df, x), hn::Set(df, 1.0f / 65025.0f)));
    const VI r = hn::Sub(x, hn::Mul(q, hn::Set(di, 65025)));
    q = hn::IfThenElse(hn::Lt(r, hn::Zero(di)), hn::Sub(q, hn::Set(di, 1)), q);
    return hn::IfThenElse(hn::Gt(r, hn::Set(di, 65024)), hn::Add(q, hn::Set(di, 1)), q);
}

// One channel (0..255 in each lane) of a blend mode; w = coverage x opacity.
template <int Mode>
HWY_INLINE VI Channel(DI di, VI d, VI s, VI w) {
    const VI k255 = hn::Set(di, 255);
    if constexpr (Mode == kBlendBottom) {
        return Div65025(di, hn::Mul(w, s));
    } else if constexpr (Mode == kBlendMultiply) {
        return hn::ShiftRight<8>(hn::Mul(d, s));
    } else if constexpr (Mode == kBlendScreen) {
        return hn::Sub(k255, hn::ShiftRight<8>(hn::Mul(hn::Sub(k255, d), hn::Sub(k255, s))));
    } else if constexpr (Mode == kBlendDarken) {
        return hn::Min(d, s);
    } else if constexpr (Mode == kBlendLighten) {
        return hn::Max(d, s);
    } else if constexpr (Mode == kBlendDifference) {
        return hn::Abs(hn::Sub(d, s));
    } else if constexpr (Mode == kBlendNegation) {
        return hn::Sub(k255, hn::Abs(hn::Sub(hn::Sub(k255, d), s)));
    } else if constexpr (Mode == kBlendExclusion) {
        return hn::Sub(hn::Add(d, s), hn::ShiftRight<7>(hn::Mul(d, s)));
    } else if constexpr (Mode == kBlendHardLight) {
        const VI light = hn::Sub(k255, hn::ShiftRight<7>(hn::Mul(hn::Sub(k255, d), hn::Sub(k255, s))));
        const VI dark = hn::ShiftRight<7>(hn::Mul(d, s));
        return hn::IfThenElse(hn::Gt(s, hn::Set(di, 127)), light, dark);
    } else {
        // N s + (1 - N) d with N = w / 65025, exactly.
        return Div65025(di, hn::Add(hn::Mul(w, s), hn::Mul(hn::Sub(hn::Set(di, 65025), w), d)));
    }
}

// Draws the lanes of `sv` (colour | coverage << 24) over dst's lanes.
template <int Mode>
HWY_INLINE void BlendLanes(DI di, int32_t* dst, VI sv, VI c, VI opacity) {
    const VI k255 = hn::Set(di, 255);
    const auto drawn = hn::Ne(c, hn::Zero(di));
    const VI dv = hn::LoadU(di, dst);
    const VI a = hn::And(hn::ShiftRight<24>(dv), k255);
    const VI raised = hn::Min(k255, hn::Mul(a, hn::Add(c, hn::Set(di, 1))));
    const VI alpha = hn::IfThenElse(hn::Eq(a, hn::Zero(di)), c, raised);
    const VI w = hn::Mul(c, opacity);
    VI rgb = hn::And(Channel<Mode>(di, hn::And(dv, k255), hn::And(sv, k255), w), k255);
    rgb = hn::Or(rgb, hn::ShiftLeft<8>(hn::And(Channel<Mode>(di, hn::And(hn::ShiftRight<8>(dv), k255),
                                                             hn::And(hn::ShiftRight<8>(sv), k255), w),
                                               k255)));
    rgb = hn::Or(rgb, hn::ShiftLeft<16>(hn::And(Channel<Mode>(di, hn::And(hn::ShiftRight<16>(dv), k255),
                                                              hn::And(hn::ShiftRight<16>(sv), k255), w),
                                                k255)));
    const VI out = hn::Or(rgb, hn::ShiftLeft<24>(alpha));
    hn::StoreU(hn::IfThenElse(drawn, out, dv), di, dst);
}

template <int Mode>
HWY_INLINE void BlendPacked(DI di, int32_t* dst, const int32_t* src, VI opacity) {
    const VI sv = hn::LoadU(di, src);
    const VI c = hn::And(hn::ShiftRight<24>(sv), hn::Set(di, 255));
    if (hn::AllTrue(di, hn::Eq(c, hn::Zero(di)))) return;
    BlendLanes<Mode>(di, dst, sv, c, opacity);
}

template <int Mode>
void BlendMode(int opacity, uint32_t* dst, const uint32_t* src, size_t count) {
    const DI di;
    const size_t lanes = hn::Lanes(di);
    const VI op = hn::Set(di, opacity);
    int32_t* d = reinterpret_cast<int32_t*>(dst);
    const int32_t* s = reinterpret_cast<const int32_t*>(src);
    size_t i = 0;
    for (; i + lanes <= count; i += lanes) BlendPacked<Mode>(di, d + i, s + i, op);
    if (i < count) {
        // The last pixels through a full vector of which the rest is coverage 0.
        HWY_ALIGN int32_t tailDst[hn::MaxLanes(di)] = {};
        HWY_ALIGN int32_t tailSrc[hn::MaxLanes(di)] = {};
        std::copy(d + i, d + count, tailDst);
        std::copy(s + i, s + count, tailSrc);
        BlendPacked<Mode>(di, tailDst, tailSrc, op);
        std::copy(tailDst, tailDst + (count - i), d + i);
    }
}

// Colours read as 4-byte words at 3 or 4 bytes a pixel (the top byte dropped), coverage
// from its own bytes; vectors without coverage are not read further. The last pixel
// always goes through the tail, so no word reaches past the last pixel's bytes.
template <int Mode>
void BlendBgrMode(int opacity, uint32_t* dst, const uint8_t* colours, int bytesPerPixel, const uint8_t* coverage,
                  size_t count) {
    const DI di;
    const hn::Rebind<uint8_t, DI> d8;
    const size_t lanes = hn::Lanes(di);
    const VI op = hn::Set(di, opacity);
    const VI offsets = hn::Mul(hn::Iota(di, 0), hn::Set(di, bytesPerPixel));
    const VI rgbMask = hn::Set(di, 0xFFFFFF);
    int32_t* d = reinterpret_cast<int32_t*>(dst);
    size_t i = 0;
    for (; i + lanes < count; i += lanes) {
        const VI c = hn::BitCast(di, hn::PromoteTo(hn::RebindToUnsigned<DI>(), hn::LoadU(d8, coverage + i)));
        if (hn::AllTrue(di, hn::Eq(c, hn::Zero(di)))) continue;
        const int32_t* base = reinterpret_cast<const int32_t*>(colours + i * size_t(bytesPerPixel));
        const VI sv = hn::Or(hn::And(hn::GatherOffset(di, base, offsets), rgbMask), hn::ShiftLeft<24>(c));
        BlendLanes<Mode>(di, d + i, sv, c, op);
    }
    if (i < count) {
        HWY_ALIGN uint32_t tailSrc[hn::MaxLanes(di)] = {};
        for (size_t k = i; k < count; ++k) {
            const uint8_t* p = colours + k * size_t(bytesPerPixel);
            tailSrc[k - i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(coverage[k]) << 24;
        }
        BlendMode<Mode>(opacity, dst + i, tailSrc, count - i);
    }
}

void BlendRowImpl(int mode, int opacity, uint32_t* dst, const uint32_t* src, size_t count) {
    switch (mode) {
    case kBlendBottom: BlendMode<kBlendBottom>(opacity, dst, src, count); break;
    case kBlendMultiply: BlendMode<kBlendMultiply>(opacity, dst, src, count); break;
    case kBlendScreen: BlendMode<kBlendScreen>(opacity, dst, src, count); break;
    case kBlendDarken: BlendMode<kBlendDarken>(opacity, dst, src, count); break;
    case kBlendLighten: BlendMode<kBlendLighten>(opacity, dst, src, count); break;
    case kBlendDifference: BlendMode<kBlendDifference>(opacity, dst, src, count); break;
    case kBlendNegation: BlendMode<kBlendNegation>(opacity, dst, src, count); break;
    case kBlendExclusion: BlendMode<kBlendExclusion>(opacity, dst, src, count); break;
    case kBlendHardLight: BlendMode<kBlendHardLight>(opacity, dst, src, count); break;
    default: BlendMode<kBlendNormal>(opacity, dst, src, count); break;
    }
}

void BlendBgrImpl(int mode, int opacity, uint32_t* dst, const uint8_t* colours, int bytesPerPixel,
                  const uint8_t* coverage, size_t count) {
#define TESSARO_BGR(M) BlendBgrMode<M>(opacity, dst, colours, bytesPerPixel, coverage, count)
    switch (mode) {
    case kBlendBottom: TESSARO_BGR(kBlendBottom); break;
    case kBlendMultiply: TESSARO_BGR(kBlendMultiply); break;
    case kBlendScreen: TESSARO_BGR(kBlendScreen); break;
    case kBlendDarken: TESSARO_BGR(kBlendDarken); break;
    case kBlendLighten: TESSARO_BGR(kBlendLighten); break;
    case kBlendDifference: TESSARO_BGR(kBlendDifference); break;
    case kBlendNegation: TESSARO_BGR(kBlendNegation); break;
    case kBlendExclusion: TESSARO_BGR(kBlendExclusion); break;
    case kBlendHardLight: TESSARO_BGR(kBlendHardLight); break;
    default: TESSARO_BGR(kBlendNormal); break;
    }
#undef TESSARO_BGR
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaro_blend
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tessaro_blend {
HWY_EXPORT(BlendRowImpl);
HWY_EXPORT(BlendBgrImpl);
}  // namespace tessaro_blend

void BlendBgrRow(int mode, int opacity, uint32_t* dst, const uint8_t* colours, int bytesPerPixel,
                 const uint8_t* coverage, size_t count) {
    HWY_DYNAMIC_DISPATCH(tessaro_blend::BlendBgrImpl)(mode, opacity, dst, colours, bytesPerPixel, coverage, count);
}

void BlendRow(int mode, int opacity, uint32_t* dst, const uint32_t* src, size_t count) {
    HWY_DYNAMIC_DISPATCH(tessaro_blend::BlendRowImpl)(mode, opacity, dst, src, count);
}
#endif

#include "ByteStream.h"
#include "Codecs.h"
#include "Messages.h"

namespace codec {
bool DecodePcx(ByteStream&, CImageBuffer& out) {
    out.SetLastError(msg::kUnsupportedFormat);
    return false;
}
}  // namespace codec

#include "ByteStream.h"
#include "Codecs.h"
#include "Messages.h"

namespace codec {
bool DecodeTiff(ByteStream&, CImageBuffer& out) {
    out.SetLastError(msg::kUnsupportedFormat);
    return false;
}
bool EncodeTiff(ByteStream&, CImageBuffer& image) {
    image.SetLastError(msg::kUnsupportedFormat);
    return false;
}
}  // namespace codec

#include "ByteStream.h"
#include "Codecs.h"
#include "Messages.h"

namespace codec {
bool DecodeBmp(ByteStream&, CImageBuffer& out) {
    out.SetLastError(msg::kUnsupportedFormat);
    return false;
}
bool EncodeBmp(ByteStream&, CImageBuffer& image) {
    image.SetLastError(msg::kUnsupportedFormat);
    return false;
}
}  // namespace codec

#include "ByteStream.h"
#include "Codecs.h"

int ImportPsd(ByteStream&, PlainBitmap&) { return -2; }
int ImportPsdFile(const std::string& path, PlainBitmap& result) {
    FileStream in;
    if (!in.Open(path, "rb")) return -1;
    return ImportPsd(in, result);
}

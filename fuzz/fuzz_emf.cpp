// EMF bytes through the image plugin (libemf2svg and Qt SVG), as the loader reaches it.
#include "fuzzsupport.h"
#include "platform/pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tovik::loadPicture(inputFile(data, size));
    return 0;
}

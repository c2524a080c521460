#include "SkinXmlFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzSkinXml(data, size);
    return 0;
}

// libFuzzer target for the extended protocol: its frame reader, the card decoders of every
// family and the extended card reader.
#include "tests/punch/extended_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto competition = skarvel::test::fuzz_competition();
    skarvel::test::fuzz_extended_input(*competition, data, size);
    return 0;
}

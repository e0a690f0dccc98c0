// libFuzzer target for the station link and the readout processing.
#include "tests/punch/station_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    skarvel::test::fuzz_station_input(data, size);
    return 0;
}

// libFuzzer target for the station link and the readout processing.
#include "tests/punch/station_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto competition = skarvel::test::fuzz_competition();
    skarvel::test::fuzz_station_input(*competition, data, size);
    return 0;
}

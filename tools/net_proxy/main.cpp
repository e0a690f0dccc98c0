// skarvel-netproxy --to HOST:PORT [--delay MS]: relays TCP connections to a server with a delay
// each way (a server far away); prints the port it listens on (127.0.0.1).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tools/net_proxy/net_proxy.h"

int main(int argc, char** argv) {
    std::string to;
    int delay = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--to") to = argv[i + 1];
        if (a == "--delay") delay = std::atoi(argv[i + 1]);
    }
    auto colon = to.rfind(':');
    if (colon == std::string::npos) {
        std::fprintf(stderr, "usage: skarvel-netproxy --to HOST:PORT [--delay MS]\n");
        return 1;
    }
    skarvel::tools::NetProxy proxy(to.substr(0, colon), std::atoi(to.c_str() + colon + 1),
                                   std::chrono::milliseconds(delay));
    if (!proxy.start()) {
        std::fprintf(stderr, "skarvel-netproxy: cannot listen\n");
        return 1;
    }
    std::printf("%d\n", proxy.port());
    std::fflush(stdout);
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

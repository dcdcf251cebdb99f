// A line-based peer to try tcpterm with: listens on 127.0.0.1 (port 7777 unless given), greets
// each client, and answers every line (ending in LF) with "echo: " and the line. Bytes pass as they
// are, so code page 932 text comes back as it went out.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void Serve(int client) {
    const std::string greeting = "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD (hello from line_echo_server)\r\n";
    if (write(client, greeting.data(), greeting.size()) < 0) {
        close(client);
        return;
    }
    std::string line;
    char buffer[4096];
    ssize_t n;
    while ((n = read(client, buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            line += buffer[i];
            if (buffer[i] != '\n') continue;
            const std::string answer = "echo: " + line;
            if (write(client, answer.data(), answer.size()) < 0) break;
            line.clear();
        }
    }
    close(client);
}

}  // namespace

int main(int argc, char** argv) {
    const int port = argc > 1 ? std::atoi(argv[1]) : 7777;
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 8) != 0) {
        std::perror("line_echo_server");
        return 1;
    }
    std::printf("line_echo_server: listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);
    while (true) {
        const int client = accept(listener, nullptr, nullptr);
        if (client >= 0) std::thread(Serve, client).detach();
    }
}

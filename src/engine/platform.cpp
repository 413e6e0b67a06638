#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

#ifdef _WIN32
bool stdin_is_terminal() { return _isatty(0) != 0; }
bool stdout_is_terminal() { return _isatty(1) != 0; }
void read_one_key() { (void)_getch(); }
std::string images_folder(const std::string& directory) {
    return "c:\\images\\" + directory + "\\";
}
#else
bool stdin_is_terminal() { return isatty(STDIN_FILENO) != 0; }
bool stdout_is_terminal() { return isatty(STDOUT_FILENO) != 0; }

void read_one_key() {
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return;
    termios raw = saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;
    unsigned char key = 0;
    ssize_t got = read(STDIN_FILENO, &key, 1);
    (void)got;  // a closed terminal ends the wait just as a key does
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

std::string images_folder(const std::string& directory) {
    const char* env = std::getenv("TARVEX_IMAGES");
    std::string prefix = (env != nullptr && *env != '\0') ? env : "images";
    return prefix + "/" + directory + "/";
}
#endif

bool same_file(const std::string& a, const std::string& b) {
    std::error_code ec;
    bool same = std::filesystem::equivalent(a, b, ec);
    return !ec && same;
}

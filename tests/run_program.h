// Runs another program from a test the same way on Linux and on Windows: a program path and a
// command line of arguments (blank-separated; double quotes group words with blanks), standard
// output and error kept as bytes. No shell is involved, so nothing the test passes is
// reinterpreted, and a program that could not be started is told apart from one that failed.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace skarvel::testing {

struct ProgramRun {
    bool started = false;  // false: the program could not be run at all
    int code = -1;         // its exit code (128 + signal when a signal ended it)
    std::string out, err;
};

// The words of a command line: blanks separate, double quotes group (and are dropped).
inline std::vector<std::string> split_command_line(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char ch : line) {
        if (ch == '"') {
            quoted = !quoted;
            any = true;
        } else if ((ch == ' ' || ch == '\t') && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += ch;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

inline std::string read_file_text(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32
inline std::wstring widen(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring w(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), n);
    return w;
}

// One argument quoted as the C runtime's command-line parser reads it back.
inline std::wstring quote_argument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t ch : arg) {
        if (ch == L'\\') {
            ++slashes;
            continue;
        }
        out.append(ch == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += ch;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}
#endif

// Runs `program` with `args` (see split_command_line), `input` (when not empty) as its
// standard input, in the current folder.
inline ProgramRun run_program(const std::string& program, const std::string& args,
                              const std::filesystem::path& input = {}) {
    namespace fs = std::filesystem;
    static int counter = 0;
    fs::path base = fs::temp_directory_path() / ("skarvel-run-" +
#ifdef _WIN32
                                                 std::to_string(GetCurrentProcessId())
#else
                                                 std::to_string(::getpid())
#endif
                                                 + "-" + std::to_string(++counter));
    fs::path out_path = base, err_path = base;
    out_path += ".out";
    err_path += ".err";
    ProgramRun r;
    std::vector<std::string> words = split_command_line(args);
#ifdef _WIN32
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto open = [&](const fs::path& p, bool write) {
        return CreateFileW(p.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE out = open(out_path, true), err = open(err_path, true);
    HANDLE in = input.empty() ? open(L"NUL", false) : open(input, false);
    std::wstring line = quote_argument(widen(program));
    for (const std::string& w : words) line += L" " + quote_argument(widen(w));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                       &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        r.started = true;
        r.code = int(code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    for (HANDLE h : {out, err, in})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
#else
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, input.empty() ? "/dev/null" : input.c_str(), O_RDONLY,
                                     0);
    posix_spawn_file_actions_addopen(&fa, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&fa, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, program.c_str(), &fa, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        r.started = true;  // glibc's spawn fails itself when the program cannot be run
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&fa);
#endif
    r.out = read_file_text(out_path);
    r.err = read_file_text(err_path);
    std::error_code ec;
    fs::remove(out_path, ec);
    fs::remove(err_path, ec);
    return r;
}

}  // namespace skarvel::testing

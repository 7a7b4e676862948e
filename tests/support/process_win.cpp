// Windows implementation of the test's child processes: CreateProcess with pipes
// for standard input and output, TerminateProcess for a kill, the process
// suspended for a stop.
#include "tests/support/process.h"

#include "platform/win/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace dn::test {

namespace {

// One argument as the C runtime's command-line parser gives it back.
std::string quoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            backslashes = backslashes * 2 + 1;
        out.append(backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

// The environment block of the child: this process's, with the overrides.
std::string environmentBlock(const std::vector<std::pair<std::string, std::string>>& overrides) {
    std::string block;
    char* env = ::GetEnvironmentStringsA();
    for (const char* e = env; *e; e += std::strlen(e) + 1) {
        const std::string entry = e;
        bool replaced = false;
        for (const auto& [name, value] : overrides)
            replaced =
                replaced || _strnicmp(entry.c_str(), (name + "=").c_str(), name.size() + 1) == 0;
        if (!replaced)
            block += entry + '\0';
    }
    ::FreeEnvironmentStringsA(env);
    for (const auto& [name, value] : overrides)
        block += name + "=" + value + '\0';
    return block + '\0';
}

HANDLE inheritable(HANDLE h) {
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &copy, 0, TRUE,
                      DUPLICATE_SAME_ACCESS);
    return copy;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const Options& options) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
    if (!::CreatePipe(&inRead, &inWrite, &sa, 0))
        throw std::runtime_error("pipe");
    ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    if (options.outputFile.empty()) {
        if (!::CreatePipe(&outRead, &outWrite, &sa, 0))
            throw std::runtime_error("pipe");
        ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    } else {
        outWrite = ::CreateFileA(options.outputFile.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    HANDLE err = inheritable(::GetStdHandle(STD_ERROR_HANDLE));

    std::string commandLine = quoteArgument(program);
    for (const std::string& a : args)
        commandLine += " " + quoteArgument(a);
    std::string env = environmentBlock(options.env);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, env.data(),
                         options.workDir.empty() ? nullptr : options.workDir.c_str(), &si, &pi);
    const DWORD error = ::GetLastError();
    ::CloseHandle(inRead);
    if (outWrite && outWrite != INVALID_HANDLE_VALUE)
        ::CloseHandle(outWrite);
    if (err)
        ::CloseHandle(err);
    in_ = inWrite;
    out_ = outRead;
    ended_ = out_ == nullptr;
    if (!started) {
        ADD_FAILURE() << "cannot start " << program << ": Windows error " << error;
        throw std::runtime_error("cannot start " + program);
    }
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = static_cast<pid_t>(pi.dwProcessId);
}

ChildProcess::~ChildProcess() {
    if (process_) {
        ::TerminateProcess(static_cast<HANDLE>(process_), kKilledStatus);
        ::WaitForSingleObject(static_cast<HANDLE>(process_), INFINITE);
        ::CloseHandle(static_cast<HANDLE>(process_));
    }
    if (in_)
        ::CloseHandle(static_cast<HANDLE>(in_));
    if (out_)
        ::CloseHandle(static_cast<HANDLE>(out_));
}

bool ChildProcess::readAvailable() {
    if (ended_)
        return false;
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(static_cast<HANDLE>(out_), nullptr, 0, nullptr, &available, nullptr)) {
            ended_ = true; // the child closed its end
            return false;
        }
        if (available == 0)
            return true;
        char buf[4096];
        DWORD got = 0;
        if (!::ReadFile(static_cast<HANDLE>(out_), buf, std::min<DWORD>(available, sizeof buf),
                        &got, nullptr) ||
            got == 0) {
            ended_ = true;
            return false;
        }
        buffer_.append(buf, got);
    }
}

std::optional<std::string> ChildProcess::readLine(int timeoutMs) {
    // Pipes cannot be waited on with a time limit: look at short intervals.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const size_t nl = buffer_.find('\n'); nl != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        if (!readAvailable() && buffer_.find('\n') == std::string::npos)
            return std::nullopt;
        if (buffer_.find('\n') != std::string::npos)
            continue;
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool ChildProcess::send(const std::string& text) {
    if (!in_)
        return false;
    const std::string line = text + "\n";
    DWORD put = 0;
    return ::WriteFile(static_cast<HANDLE>(in_), line.data(), static_cast<DWORD>(line.size()), &put,
                       nullptr) &&
           put == line.size();
}

void ChildProcess::closeInput() {
    if (in_)
        ::CloseHandle(static_cast<HANDLE>(in_));
    in_ = nullptr;
}

void ChildProcess::kill() {
    if (process_)
        ::TerminateProcess(static_cast<HANDLE>(process_), kKilledStatus);
}

void ChildProcess::stop() {
    // Every thread of the child, as the system's own suspension of a process does.
    using Suspend = LONG(NTAPI*)(HANDLE);
    static const auto suspend = reinterpret_cast<Suspend>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtSuspendProcess")));
    if (process_ && suspend)
        suspend(static_cast<HANDLE>(process_));
}

void dieNow() {
    ::TerminateProcess(::GetCurrentProcess(), ChildProcess::kKilledStatus);
    std::abort(); // not reached
}

int ChildProcess::wait() {
    if (!process_)
        return -1;
    ::WaitForSingleObject(static_cast<HANDLE>(process_), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(static_cast<HANDLE>(process_), &code);
    ::CloseHandle(static_cast<HANDLE>(process_));
    process_ = nullptr;
    pid_ = -1;
    return static_cast<int>(code);
}

CommandResult runCommand(const std::string& commandLine) {
    CommandResult r;
    // cmd.exe takes the whole line in one more pair of quotes.
    FILE* p = ::_popen(("\"" + commandLine + "\"").c_str(), "rb");
    if (!p)
        return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    r.status = ::_pclose(p);
    return r;
}

std::string shellQuote(const std::string& text) {
    return quoteArgument(text);
}

} // namespace dn::test

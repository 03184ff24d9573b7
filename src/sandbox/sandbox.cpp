// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "sandbox/sandbox.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <linux/sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
#define TOVIK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVIK_ADDRESS_SANITIZER 1
#endif
#endif

namespace tovik::decoder {

namespace {
struct FilterRelease {
    void operator()(void* filter) const { seccomp_release(filter); }
};

// What decoding takes: its own descriptors, memory, threads (clone3 is refused so that the C
// library falls back to clone, whose flags can be checked), signals to itself, and time.
constexpr int Allowed[] = {
    SCMP_SYS(read),
    SCMP_SYS(write),
    SCMP_SYS(readv),
    SCMP_SYS(writev),
    SCMP_SYS(pread64),
    SCMP_SYS(pwrite64),
    SCMP_SYS(lseek),
    SCMP_SYS(close),
    SCMP_SYS(fstat),
    SCMP_SYS(recvmsg),
    SCMP_SYS(sendmsg),
    SCMP_SYS(memfd_create),
    SCMP_SYS(ftruncate),
    SCMP_SYS(fcntl),
    SCMP_SYS(mmap),
    SCMP_SYS(munmap),
    SCMP_SYS(mremap),
    SCMP_SYS(mprotect),
    SCMP_SYS(madvise),
    SCMP_SYS(brk),
    SCMP_SYS(futex),
    SCMP_SYS(set_robust_list),
    SCMP_SYS(rseq),
    SCMP_SYS(exit),
    SCMP_SYS(exit_group),
    SCMP_SYS(rt_sigreturn),
    SCMP_SYS(rt_sigprocmask),
    SCMP_SYS(rt_sigaction),
    SCMP_SYS(sigaltstack),
    SCMP_SYS(getpid),
    SCMP_SYS(gettid),
    SCMP_SYS(tgkill),
    SCMP_SYS(sched_yield),
    SCMP_SYS(sched_getaffinity),
    SCMP_SYS(getrandom),
    SCMP_SYS(clock_gettime),
    SCMP_SYS(clock_nanosleep),
    SCMP_SYS(nanosleep),
    SCMP_SYS(gettimeofday),
    SCMP_SYS(sysinfo),
    SCMP_SYS(membarrier),
    SCMP_SYS(getrusage),
    SCMP_SYS(getuid),
    SCMP_SYS(geteuid),
    SCMP_SYS(getgid),
    SCMP_SYS(getegid),
    // a thread's event dispatcher: new descriptors of its own, never a file's
    SCMP_SYS(eventfd2),
    SCMP_SYS(pipe2),
    SCMP_SYS(poll),
    SCMP_SYS(ppoll),
};

// No path is opened: refused rather than fatal, because the C library opens
// /sys/devices/system/cpu/online to count the cores for libheif's and libjxl's threads, and counts
// them another way when it may not.
constexpr int Refused[] = {SCMP_SYS(open), SCMP_SYS(openat), SCMP_SYS(openat2), SCMP_SYS(creat)};

// Whatever would reach beyond the descriptors the helper was given.
constexpr int Fatal[] = {
    SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect),          SCMP_SYS(bind),
    SCMP_SYS(execve), SCMP_SYS(execveat),   SCMP_SYS(ptrace),           SCMP_SYS(fork),
    SCMP_SYS(vfork),  SCMP_SYS(kill),       SCMP_SYS(process_vm_readv), SCMP_SYS(process_vm_writev),
};

// Opens that cannot write, create or truncate anything; the others fail as every call not
// named does.
bool allowReadOnlyOpens(scmp_filter_ctx filter) {
    constexpr scmp_datum_t Writes = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND;
    return seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(openat), 1,
                            SCMP_A2(SCMP_CMP_MASKED_EQ, Writes, 0)) == 0 &&
           seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(open), 1,
                            SCMP_A1(SCMP_CMP_MASKED_EQ, Writes, 0)) == 0;
}

// A descriptor's own status (the C library's fstat, Qt's statx), never a path's.
bool allowOwnStatus(scmp_filter_ctx filter) {
    return seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(newfstatat), 1,
                            SCMP_A3(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH)) == 0 &&
           seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(statx), 1,
                            SCMP_A2(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH)) == 0;
}

bool addRules(scmp_filter_ctx filter, Opening opening) {
    bool ok = opening == Opening::ReadOnly ? allowReadOnlyOpens(filter) : true;
    for (const int call : Allowed)
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    for (const int call : Refused)
        if (opening == Opening::Refused || (call != SCMP_SYS(open) && call != SCMP_SYS(openat)))
            ok = ok && seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), call, 0) == 0;
    // Reading files' metadata by path, which font lookups do; else a descriptor's own only.
    if (opening == Opening::ReadOnly)
        for (const int call :
             {SCMP_SYS(stat), SCMP_SYS(lstat), SCMP_SYS(newfstatat), SCMP_SYS(statx),
              SCMP_SYS(access), SCMP_SYS(faccessat), SCMP_SYS(faccessat2), SCMP_SYS(readlink),
              SCMP_SYS(getdents64), SCMP_SYS(getcwd), SCMP_SYS(statfs), SCMP_SYS(fstatfs)})
            ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    else
        ok = ok && allowOwnStatus(filter);
    // Qt's start in the drawing helper asks for a session bus: refused there, fatal elsewhere.
    const auto network = [](int call) {
        return call == SCMP_SYS(socket) || call == SCMP_SYS(socketpair) ||
               call == SCMP_SYS(connect);
    };
    for (const int call : Fatal)
        ok = ok &&
             seccomp_rule_add(filter,
                              opening == Opening::ReadOnly && network(call) ? SCMP_ACT_ERRNO(EACCES)
                                                                            : SCMP_ACT_KILL_PROCESS,
                              call, 0) == 0;
    // Threads only; a new process is fatal.
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                                SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)) == 0;
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, SCMP_SYS(clone), 1,
                                SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)) == 0;
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1,
                                SCMP_A0(SCMP_CMP_EQ, PR_SET_NAME)) == 0;
    ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(ioctl), 1,
                                SCMP_A1(SCMP_CMP_EQ, TCGETS)) == 0;
    return ok;
}

// Lowers a limit, never raises one already lower.
void limit(int resource, rlim_t most) {
    rlimit value{};
    getrlimit(resource, &value);
    value.rlim_cur = value.rlim_max = std::min(value.rlim_max, most);
    setrlimit(resource, &value);
}
} // namespace

bool enterSandbox(qint64 memoryBytes, Opening opening) {
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
#ifndef TOVIK_ADDRESS_SANITIZER
    limit(RLIMIT_AS, rlim_t(memoryBytes)); // AddressSanitizer reserves far more than it uses
#else
    Q_UNUSED(memoryBytes);
#endif
    limit(RLIMIT_NOFILE, 32);
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_CPU, 3600); // a helper that spins for an hour of decoding is replaced
    const std::unique_ptr<void, FilterRelease> filter(seccomp_init(SCMP_ACT_ERRNO(EPERM)));
    return filter && addRules(filter.get(), opening) && seccomp_load(filter.get()) == 0;
}

} // namespace tovik::decoder

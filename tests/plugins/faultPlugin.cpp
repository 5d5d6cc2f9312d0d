/** @file faultPlugin.cpp ** A test plug-in collection that fails in one way, chosen when it
 ** is built (PM_FAULT), behind the one function Fault. **/
#include "pagemason_plugin.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

#define FAULT_SEGFAULT 1
#define FAULT_BUS 2
#define FAULT_FPE 3
#define FAULT_ILL 4
#define FAULT_ABORT 5
#define FAULT_THROW 6
#define FAULT_LOOP 7
#define FAULT_HUGE 8
#define FAULT_BADUTF8 9
#define FAULT_UNTERMINATED 10
#define FAULT_NULL 11
#define FAULT_EXIT 12

namespace {
volatile int zero = 0;
volatile int seven = 7;
volatile char* volatile nowhere = nullptr;
}

PAGEMASON_PLUGIN const char* Fault(void)
{
#if PM_FAULT == FAULT_SEGFAULT
    *nowhere = 'x';
    return "survived";
#elif PM_FAULT == FAULT_BUS
    // Touching a mapped page past the end of its file is a bus error.
    char name[] = "/tmp/pm-bus-XXXXXX";
    const int fd = mkstemp(name);
    unlink(name);
    volatile char* page
        = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0));
    return page[0] == 'x' ? "survived" : "survived too";
#elif PM_FAULT == FAULT_FPE
    volatile int quotient = seven / zero;
    return quotient ? "survived" : "survived too";
#elif PM_FAULT == FAULT_ILL
    __builtin_trap();
#elif PM_FAULT == FAULT_ABORT
    std::abort();
#elif PM_FAULT == FAULT_THROW
    throw std::runtime_error("a plug-in that throws");
#elif PM_FAULT == FAULT_LOOP
    for (;;)
        zero = zero + 0;
#elif PM_FAULT == FAULT_HUGE
    // 100 MB, properly terminated.
    static char text[100u * 1024 * 1024 + 1];
    std::memset(text, 'a', sizeof text - 1);
    return text;
#elif PM_FAULT == FAULT_BADUTF8
    return "caf\xE9 is Latin-1, not UTF-8";
#elif PM_FAULT == FAULT_UNTERMINATED
    // Far more than any text may hold, with no zero anywhere, followed by an unreadable page:
    // a host that read to the end would fault.
    const size_t size = 32u * 1024 * 1024;
    const long pageSize = sysconf(_SC_PAGESIZE);
    char* area = static_cast<char*>(
        mmap(nullptr, size + pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    std::memset(area, 'x', size);
    mprotect(area + size, pageSize, PROT_NONE);
    return area;
#elif PM_FAULT == FAULT_NULL
    return nullptr;
#elif PM_FAULT == FAULT_EXIT
    std::exit(0);
#else
#error PM_FAULT names no fault
#endif
}

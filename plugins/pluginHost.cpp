/** @file pluginHost.cpp ** pagemason-plugin-host: makes one plug-in call for the editor, so
 ** that a plug-in that crashes, hangs or throws takes down only this process. **/
#include "templates/pluginHostProtocol.h"

#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

int replyFd = -1;

[[noreturn]] void reply(int32_t code, std::string_view text = {})
{
    const std::string bytes = pluginHost::encodeReply(code, text);
    size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(replyFd, bytes.data() + at, bytes.size() - at);
        if (n <= 0)
            _exit(3);
        at += size_t(n);
    }
    // _exit: no static destructors and no exit handlers of a plug-in run after the answer.
    _exit(0);
}

bool readAll(int fd, std::string& out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0)
            return false;
        out.append(buffer, size_t(n));
    }
}

} // namespace

int main()
{
    // A crashing plug-in is expected here; a core file per crash would only fill the disk.
    const rlimit noCore { 0, 0 };
    setrlimit(RLIMIT_CORE, &noCore);

    std::string input;
    pluginHost::Request request;
    if (!readAll(STDIN_FILENO, input) || !pluginHost::decodeRequest(input, request)) {
        std::fputs("pagemason-plugin-host makes plug-in calls for Pagemason and is started by "
                   "it; it is not meant to be run by hand.\n",
            stderr);
        return 2;
    }
    input = std::string();

    // The answer goes through a private copy of standard output; whatever the plug-in prints
    // goes to standard error and cannot be mistaken for it.
    replyFd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (replyFd < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 3;

    setExportedValues(request.values);

    void* library = dlopen(request.collection.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        reply(pluginHost::resultNotLoaded);
    dlerror();
    void* symbol = dlsym(library, request.function.c_str());
    if (!symbol || dlerror()) {
        dlclose(library);
        reply(pluginHost::resultNotFound);
    }

    using PluginFunction = const char* (*)();
    const char* text = nullptr;
    try {
        text = reinterpret_cast<PluginFunction>(symbol)();
    } catch (...) {
        reply(pluginHost::resultFailed); // the library stays loaded, as after any fault
    }
    if (!text)
        reply(pluginHost::resultFailed);
    // One byte past the limit tells a text that is too long from one that just fits, without
    // reading further into memory that may not be the plug-in's.
    const size_t length = strnlen(text, size_t(request.maxResultBytes) + 1);
    if (length > request.maxResultBytes)
        reply(pluginHost::resultFailed);
    const std::string copy(text, length);
    dlclose(library);
    reply(pluginHost::resultOk, copy);
}

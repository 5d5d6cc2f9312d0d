/** @file pluginHostProtocol.h ** What the editor and the plug-in host say to each other through
 ** the host's standard input and output. Plain C++, shared by both sides. **/
#pragma once

#include "templates/exportedFuncs.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace pluginHost {

/// Result codes of a plug-in call.
enum : int32_t {
    resultOk = 0,
    resultNotFound = -1, ///< the collection has no export of that name
    resultNotLoaded = -2, ///< the collection file could not be loaded
    resultFailed = -3, ///< the call itself failed (fault, time-out, bad or oversized text)
};

/// The longest text a plug-in may return, in bytes without the terminating zero.
inline constexpr uint32_t maxResultBytes = 16u * 1024 * 1024;

inline constexpr std::string_view requestMagic { "PMQ1", 4 };
inline constexpr std::string_view replyMagic { "PMR1", 4 };

struct Request
{
    std::string collection; ///< full path of the collection file
    std::string function;
    TExportedValues values;
    uint32_t maxResultBytes = pluginHost::maxResultBytes;
};

namespace detail {
    inline void putU32(std::string& out, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(char((v >> (8 * i)) & 0xFF));
    }
    inline void putText(std::string& out, std::string_view s)
    {
        putU32(out, uint32_t(s.size()));
        out.append(s);
    }
    /// Reads from `in` at `at`, moving on; false when the bytes run out.
    inline bool getU32(std::string_view in, size_t& at, uint32_t& v)
    {
        if (in.size() - at < 4)
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(uint8_t(in[at + i])) << (8 * i);
        at += 4;
        return true;
    }
    inline bool getText(std::string_view in, size_t& at, std::string& s)
    {
        uint32_t n = 0;
        if (!getU32(in, at, n) || in.size() - at < n)
            return false;
        s.assign(in.substr(at, n));
        at += n;
        return true;
    }
} // namespace detail

inline std::string encodeRequest(const Request& r)
{
    std::string out(requestMagic);
    detail::putText(out, r.collection);
    detail::putText(out, r.function);
    detail::putText(out, r.values.selectedText);
    detail::putU32(out, uint32_t(r.values.caretX));
    detail::putU32(out, uint32_t(r.values.caretY));
    detail::putText(out, r.values.errorsLogFileName);
    detail::putText(out, r.values.appPath);
    detail::putText(out, r.values.pluginsPath);
    detail::putU32(out, r.maxResultBytes);
    return out;
}

/// False unless `in` is exactly one well-formed request.
inline bool decodeRequest(std::string_view in, Request& r)
{
    if (in.substr(0, requestMagic.size()) != requestMagic)
        return false;
    size_t at = requestMagic.size();
    uint32_t x = 0, y = 0;
    const bool ok = detail::getText(in, at, r.collection) && detail::getText(in, at, r.function)
        && detail::getText(in, at, r.values.selectedText) && detail::getU32(in, at, x)
        && detail::getU32(in, at, y) && detail::getText(in, at, r.values.errorsLogFileName)
        && detail::getText(in, at, r.values.appPath)
        && detail::getText(in, at, r.values.pluginsPath)
        && detail::getU32(in, at, r.maxResultBytes);
    r.values.caretX = int32_t(x);
    r.values.caretY = int32_t(y);
    return ok && at == in.size();
}

inline std::string encodeReply(int32_t code, std::string_view text)
{
    std::string out(replyMagic);
    detail::putU32(out, uint32_t(code));
    detail::putText(out, text);
    return out;
}

/// False unless `in` is exactly one well-formed reply with a known code; `text` then views
/// into `in`.
inline bool decodeReply(std::string_view in, int32_t& code, std::string_view& text)
{
    if (in.substr(0, replyMagic.size()) != replyMagic)
        return false;
    size_t at = replyMagic.size();
    uint32_t c = 0, n = 0;
    if (!detail::getU32(in, at, c) || !detail::getU32(in, at, n) || in.size() - at != n)
        return false;
    code = int32_t(c);
    if (code != resultOk && code != resultNotFound && code != resultNotLoaded
        && code != resultFailed)
        return false;
    text = in.substr(at, n);
    return true;
}

} // namespace pluginHost

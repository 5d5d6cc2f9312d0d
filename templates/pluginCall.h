/** @file pluginCall.h ** One call of a plug-in function, made in the helper process
 ** pagemason-plugin-host so that no plug-in can take the editor down. **/
#pragma once

#include "templates/pluginHostProtocol.h"

#include <QString>
#include <functional>

/// The small window shown while a plug-in call takes long, with a way to end the call.
class TPluginWaitWindow
{
public:
    virtual ~TPluginWaitWindow() = default;
    /// The call of `functionName` has run for a while; `cancel` ends it.
    virtual void showWaiting(const QString& functionName, const std::function<void()>& cancel) = 0;
    virtual void hideWaiting() = 0;
};

/// The wait window in use, or null (then no window is shown and only the time-out ends a call).
TPluginWaitWindow* pluginWaitWindow();
/// Installs a wait window (not owned); returns the previous one.
TPluginWaitWindow* setPluginWaitWindow(TPluginWaitWindow* window);

/// The helper program; by default pagemason-plugin-host in the running executable's folder.
QString pluginHostProgram();
/// Another helper program (tests, benchmarks); empty goes back to the default.
void setPluginHostProgram(const QString& program);

/// How long a plug-in may run before the helper is ended and the call fails.
inline constexpr int pluginCallTimeoutMs = 10000;
/// How long a call runs before the wait window appears.
inline constexpr int pluginWaitWindowDelayMs = 500;

struct TPluginCallOptions
{
    int timeoutMs = pluginCallTimeoutMs;
    int waitWindowDelayMs = pluginWaitWindowDelayMs;
    TPluginWaitWindow* waitWindow = pluginWaitWindow();
    uint32_t maxResultBytes = pluginHost::maxResultBytes;
};

struct TPluginCallResult
{
    /// 0 success; -1 function not found; -2 collection not loaded; -3 the call failed: the
    /// plug-in crashed, aborted, threw, ran past the time-out or was cancelled, returned no
    /// text, text longer than the limit or text that is not UTF-8, or the helper is missing.
    int code = pluginHost::resultFailed;
    QString text; ///< only with code 0
};

/// Loads the collection at `path` in the helper, calls `name` (exact, case-sensitive) and
/// unloads it again. The helper answers the five callbacks with exportedValues(). User input
/// waits until the call is over; other events go on.
TPluginCallResult callPlugin(const QString& path, const QString& name,
    const TPluginCallOptions& options = TPluginCallOptions());

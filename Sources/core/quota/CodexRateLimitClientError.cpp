#include "quota/CodexRateLimitClientError.h"

#include "foundation/BoundedDisplayText.h"

namespace pulsegrove {

namespace {

std::string describe(CodexRateLimitClientError::Case errorCase, const std::string &payload)
{
    using Case = CodexRateLimitClientError::Case;
    switch (errorCase) {
    case Case::launchFailed:
        return "无法启动 Codex 数据服务：" + payload;
    case Case::serverError:
        return "Codex 返回错误：" + payload;
    case Case::executableNotFound:
        return "未找到 Codex。请先安装 codex 命令行工具并登录。";
    case Case::connectionClosed:
        return "Codex 数据服务意外断开。";
    case Case::requestTimedOut:
        return "读取额度超时，请稍后重试。";
    case Case::malformedResponse:
        return "Codex 返回了无法识别的额度数据。";
    }
    return {};
}

} // namespace

// A payload can come from the server, which may send anything: a megabyte, terminal escapes, text
// that reverses what follows it, a NUL that would end what() early. Only its bounded, cleaned form
// is kept, so the status line, the tool tip and the log all get that one.
CodexRateLimitClientError::CodexRateLimitClientError(Case errorCase, std::string_view payload)
    : m_case(errorCase), m_payload(BoundedDisplayText::make(payload)),
      m_description(describe(m_case, m_payload))
{
}

CodexRateLimitClientError CodexRateLimitClientError::launchFailed(const std::string &description)
{
    return {Case::launchFailed, description};
}

CodexRateLimitClientError CodexRateLimitClientError::serverError(const std::string &message)
{
    return {Case::serverError, message};
}

CodexRateLimitClientError CodexRateLimitClientError::executableNotFound()
{
    return {Case::executableNotFound, {}};
}
CodexRateLimitClientError CodexRateLimitClientError::connectionClosed()
{
    return {Case::connectionClosed, {}};
}
CodexRateLimitClientError CodexRateLimitClientError::requestTimedOut()
{
    return {Case::requestTimedOut, {}};
}
CodexRateLimitClientError CodexRateLimitClientError::malformedResponse()
{
    return {Case::malformedResponse, {}};
}

} // namespace pulsegrove

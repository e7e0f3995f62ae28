#include "SyslogSystemLog.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

TEST(SystemLog, WithholdsPrivateArgumentsShowsPublicOnesAndNeverReadsPastTheFormat)
{
    // The format, its arguments and the rendered message.
    const std::tuple<const char *, QStringList, const char *> cases[] = {
        {"Quota refresh failed: %{private}s",
         {QStringLiteral("account a@b.c")},
         "Quota refresh failed: <private>"},
        // Texts are private unless marked public; numbers are public unless marked private.
        {"%s and %@", {QStringLiteral("x"), QStringLiteral("y")}, "<private> and <private>"},
        {"%{public}s=%d, %{private}d, 100%%",
         {QStringLiteral("a"), QStringLiteral("7"), QStringLiteral("8")},
         "a=7, <private>, 100%"},
        {"tail %", {}, "tail %"},
        {"open %{public", {}, "open %{public"},
        {"missing %{public}s", {}, "missing "},
    };
    for (const auto &[format, arguments, rendered] : cases)
        EXPECT_EQ(SystemLog::render(QString::fromLatin1(format), arguments), QString::fromLatin1(rendered))
            << format;
    EXPECT_EQ(SyslogSystemLog::line(QStringLiteral("quota"),
                                    QStringLiteral("Quota refresh failed: %{private}s"),
                                    {QStringLiteral("secret")}),
              QStringLiteral("[quota] Quota refresh failed: <private>"));
}

} // namespace
} // namespace pulsegrove

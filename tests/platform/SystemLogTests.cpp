#include "Logger.h"
#include "RecordingSystemLog.h"
#include "SyslogSystemLog.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

TEST(SystemLogFormat, PrivateArgumentsAreWithheld)
{
    EXPECT_EQ(SystemLog::render(QStringLiteral("Quota refresh failed: %{private}s"),
                                {QStringLiteral("account a@b.c")}),
              QStringLiteral("Quota refresh failed: <private>"));
    EXPECT_EQ(SystemLog::render(QStringLiteral("%s and %@"), {QStringLiteral("x"), QStringLiteral("y")}),
              QStringLiteral("<private> and <private>"));
}

TEST(SystemLogFormat, PublicArgumentsAndNumbersAreShownInOrder)
{
    EXPECT_EQ(SystemLog::render(QStringLiteral("%{public}s=%d, %{private}d, 100%%"),
                                {QStringLiteral("a"), QStringLiteral("7"), QStringLiteral("8")}),
              QStringLiteral("a=7, <private>, 100%"));
}

TEST(SystemLogFormat, MalformedFormatsNeverReadPastTheText)
{
    EXPECT_EQ(SystemLog::render(QStringLiteral("tail %"), {}), QStringLiteral("tail %"));
    EXPECT_EQ(SystemLog::render(QStringLiteral("open %{public"), {}), QStringLiteral("open %{public"));
    EXPECT_EQ(SystemLog::render(QStringLiteral("missing %{public}s"), {}), QStringLiteral("missing "));
}

TEST(SystemLogFormat, SyslogLinesCarryTheCategory)
{
    EXPECT_EQ(SyslogSystemLog::line(QStringLiteral("quota"),
                                    QStringLiteral("Quota refresh failed: %{private}s"),
                                    {QStringLiteral("secret")}),
              QStringLiteral("[quota] Quota refresh failed: <private>"));
}

TEST(Logger, PassesLevelCategoryAndArgumentsToTheLog)
{
    auto log = std::make_shared<RecordingSystemLog>();
    const Logger logger(log, QStringLiteral("quota"));
    logger.info(QStringLiteral("Quota refreshed successfully"));
    logger.error(QStringLiteral("Quota refresh failed: %{private}s"), {QStringLiteral("why")});
    ASSERT_EQ(log->entries.size(), 2u);
    EXPECT_EQ(log->entries[0].level, LogLevel::info);
    EXPECT_EQ(log->entries[0].rendered, QStringLiteral("Quota refreshed successfully"));
    EXPECT_EQ(log->entries[1].level, LogLevel::error);
    EXPECT_EQ(log->entries[1].category, QStringLiteral("quota"));
    EXPECT_EQ(log->entries[1].arguments, QStringList{QStringLiteral("why")});
    EXPECT_EQ(log->entries[1].rendered, QStringLiteral("Quota refresh failed: <private>"));
}

} // namespace
} // namespace pulsegrove

#include "FakeRemoteUpdateOperations.h"
#include "settings/ModuleSettingsModel.h"
#include "update/RemoteUpdateStore.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

using State = RemoteUpdateState;
using Delivery = RemoteUpdateDelivery;

void await(const QFuture<void> &future)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 5000));
}

// Each state that names a version says it in its line, with its own button, which takes a press
// only while no work runs.
TEST(RemoteUpdateStoreTests, VersionedStatesHaveTheirLineAndButton)
{
    const std::filesystem::path file = "/tmp/VerifiedUpdates/Pulsegrove-1.7.0.tar.gz";
    const QString version = QStringLiteral("1.7.0");
    const struct {
        State state;
        const char *status, *action;
        bool enabled;
    } rows[] = {
        {State::available(version, false, Delivery::website), "发现新版本 1.7.0，请前往官网下载", "打开官网下载",
         true},
        {State::available(version, true, Delivery::signedArtifact), "发现新版本 1.7.0，可安全下载并核验签名",
         "安全下载", true},
        {State::downloading(version), "正在下载并核验版本 1.7.0…", "下载中", false},
        {State::downloaded(version, file, true), "版本 1.7.0 已下载并通过核验", "安装并重启", true},
        {State::downloaded(version, file, false), "版本 1.7.0 已下载并通过核验", "在文件管理器中显示", true},
        {State::confirmingInstall(version, file), "确认后将安装版本 1.7.0 并重新启动", "确认安装", true},
        {State::installing(version), "正在准备安装版本 1.7.0…", "准备中", false},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(RemoteUpdateStore::statusText(row.state), QString::fromUtf8(row.status));
        EXPECT_EQ(RemoteUpdateStore::actionTitle(row.state), QString::fromUtf8(row.action)) << row.status;
        EXPECT_EQ(ModuleSettingsModel::isUpdateButtonEnabled(row.state), row.enabled) << row.status;
    }
}

// This build asks no release service: a check passes through checking and ends in the fixed
// sentence; pressing the button again checks again.
TEST(RemoteUpdateStoreTests, TheBuildsCheckEndsUnavailableAfterPassingThroughChecking)
{
    RemoteUpdateStore store;
    EXPECT_EQ(store.state(), State::idle());
    EXPECT_FALSE(store.candidate());
    std::vector<State> seen;
    QObject::connect(&store, &RemoteUpdateStore::stateChanged, &store,
                     [&] { seen.push_back(store.state()); });
    const QFuture<void> first = store.check();
    EXPECT_EQ(store.state(), State::checking()) << "the answer comes on a later turn";
    await(first);
    const State unavailable = State::unavailable(QStringLiteral("暂时无法检查更新；不会下载或执行任何文件"));
    EXPECT_EQ(seen, (std::vector<State>{State::checking(), unavailable}));
    await(store.performPrimaryAction());
    EXPECT_EQ(seen, (std::vector<State>{State::checking(), unavailable, State::checking(), unavailable}));
}

// What a check ends in for each answer; a signed offer without a release, or an answer that is
// not a result, is no offer.
TEST(RemoteUpdateStoreTests, ACheckEndsInWhatTheAnswerSaysWhenItIsAResult)
{
    const RemoteUpdateCandidate candidate{QStringLiteral("1.7.0"),
                                          QUrl(QStringLiteral("https://example.test/a"))};
    const State fixedSentence = State::unavailable(RemoteUpdateOperations::unavailableMessage());
    struct Row {
        RemoteUpdateCheckOutcome outcome;
        State expected;
        bool keepsCandidate;
    };
    const Row rows[] = {
        {{State::available(QStringLiteral("1.7.0"), false, Delivery::signedArtifact), candidate},
         State::available(QStringLiteral("1.7.0"), false, Delivery::signedArtifact),
         true},
        {{State::available(QStringLiteral("1.7.0"), true, Delivery::website), std::nullopt},
         State::available(QStringLiteral("1.7.0"), true, Delivery::website),
         false},
        {{State::available(QStringLiteral("1.7.0"), false, Delivery::signedArtifact), std::nullopt},
         fixedSentence,
         false},
        {{State::current(), std::nullopt}, State::current(), false},
        {{State::idle(), std::nullopt}, fixedSentence, false},
        {{State::installing(QStringLiteral("1.7.0")), candidate}, fixedSentence, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(RemoteUpdateStore::statusText(row.expected).toStdString());
        FakeRemoteUpdateOperations fake;
        RemoteUpdateStore store(fake.operations());
        const QFuture<void> done = store.check();
        ASSERT_EQ(fake.checks.size(), 1u);
        fake.checks[0].finish(row.outcome);
        await(done);
        EXPECT_EQ(store.state(), row.expected);
        EXPECT_EQ(store.candidate(), row.keepsCandidate ? std::optional(candidate) : std::nullopt);
    }
}

// A store on scripted operations.
class RemoteUpdateStoreTest : public ::testing::Test {
protected:
    // Checks and lets the check end in `outcome`.
    void answerCheck(RemoteUpdateCheckOutcome outcome)
    {
        m_store.check();
        m_fake.checks.back().finish(std::move(outcome));
        QCoreApplication::processEvents();
    }

    FakeRemoteUpdateOperations m_fake;
    RemoteUpdateStore m_store{m_fake.operations()};
};

// A check returns at once while one runs, or while a download or an installation does.
TEST_F(RemoteUpdateStoreTest, NoSecondCheckWhileCheckingDownloadingOrInstalling)
{
    const RemoteUpdateCandidate candidate{QStringLiteral("1.7.0"), {}};
    const auto available = State::available(QStringLiteral("1.7.0"), false, Delivery::signedArtifact);
    m_store.check();
    EXPECT_TRUE(m_store.check().isFinished());
    EXPECT_TRUE(m_store.performPrimaryAction().isFinished());
    EXPECT_EQ(m_fake.checks.size(), 1u);
    m_fake.checks[0].finish({available, candidate});
    QCoreApplication::processEvents();

    m_store.performPrimaryAction();
    EXPECT_EQ(m_store.state(), State::downloading(QStringLiteral("1.7.0")));
    m_store.check();
    m_store.performPrimaryAction();
    EXPECT_EQ(m_fake.checks.size(), 1u);
    EXPECT_EQ(m_fake.downloads.size(), 1u);
    EXPECT_EQ(m_store.candidate(), candidate) << "a refused check leaves the candidate";
}

// The button's whole road for a signed update: download, confirm, install; an installation that
// cannot start leaves the file to reveal; a failed download shows its sentence.
TEST_F(RemoteUpdateStoreTest, ThePrimaryActionWalksASignedUpdateFromOfferToInstallation)
{
    const RemoteUpdateCandidate candidate{QStringLiteral("1.7.0"),
                                          QUrl(QStringLiteral("https://example.test/a"))};
    const std::filesystem::path file = "/cache/VerifiedUpdates/1.7.0.tar.gz";
    answerCheck({State::available(QStringLiteral("1.7.0"), false, Delivery::signedArtifact), candidate});

    QFuture<void> step = m_store.performPrimaryAction();
    EXPECT_EQ(m_fake.downloadedCandidates, (std::vector<RemoteUpdateCandidate>{candidate}));
    m_fake.downloads[0].finish(RemoteUpdateDownload{file, true});
    await(step);
    EXPECT_EQ(m_store.state(), State::downloaded(QStringLiteral("1.7.0"), file, true));
    await(m_store.performPrimaryAction());
    EXPECT_EQ(m_store.state(), State::confirmingInstall(QStringLiteral("1.7.0"), file));
    step = m_store.performPrimaryAction();
    EXPECT_EQ(m_store.state(), State::installing(QStringLiteral("1.7.0")));
    EXPECT_TRUE(m_store.isWorking());
    m_fake.installs[0].finish(false);
    await(step);
    EXPECT_EQ(m_store.state(), State::downloaded(QStringLiteral("1.7.0"), file, false));
    await(m_store.performPrimaryAction());
    EXPECT_EQ(m_fake.revealed, (std::vector<std::filesystem::path>{file}));
    EXPECT_EQ(m_fake.checks.size(), 1u);

    // From there the user may check again; a download that fails shows its own sentence.
    answerCheck({State::available(QStringLiteral("1.7.1"), false, Delivery::signedArtifact),
                 RemoteUpdateCandidate{QStringLiteral("1.7.1"), {}}});
    step = m_store.performPrimaryAction();
    m_fake.downloads[1].finish(QStringLiteral("签名校验失败"));
    await(step);
    EXPECT_EQ(m_store.state(), State::unavailable(QStringLiteral("签名校验失败")));
}

// A website offer only opens the downloads page and stays on offer.
TEST_F(RemoteUpdateStoreTest, AWebsiteOfferOpensTheDownloadsPage)
{
    const auto offer = State::available(QStringLiteral("1.7.0"), false, Delivery::website);
    answerCheck({offer, std::nullopt});
    await(m_store.performPrimaryAction());
    await(m_store.performPrimaryAction());
    EXPECT_EQ(m_fake.downloadsPageOpenings, 2);
    EXPECT_EQ(m_store.state(), offer);
    EXPECT_TRUE(m_fake.downloads.empty());
}

// An operation that ends without an answer leaves no state hanging; one that ends after its store
// is gone reaches nothing, and the store's future ends cancelled.
TEST_F(RemoteUpdateStoreTest, OperationsEndingWithoutAnAnswerOrAfterTheStoreAreSafe)
{
    QFuture<void> done = m_store.check();
    m_fake.checks[0].promise->finish();
    await(done);
    EXPECT_EQ(m_store.state(), State::unavailable(RemoteUpdateOperations::unavailableMessage()));
    answerCheck({State::available(QStringLiteral("2.0"), false, Delivery::signedArtifact),
                 RemoteUpdateCandidate{QStringLiteral("2.0"), {}}});
    done = m_store.performPrimaryAction();
    m_fake.downloads[0].promise->finish();
    await(done);
    EXPECT_EQ(m_store.state(), State::unavailable(RemoteUpdateOperations::unavailableMessage()));

    {
        RemoteUpdateStore gone(m_fake.operations());
        done = gone.check();
    }
    m_fake.checks[2].finish({State::current(), std::nullopt});
    QCoreApplication::processEvents();
    EXPECT_TRUE(done.isFinished() && done.isCanceled());
}

// Stopping the check's token returns it to idle at once; its late answer is dropped, and a
// later check is not disturbed by the old token.
TEST_F(RemoteUpdateStoreTest, ACancelledCheckGoesBackToIdleAndDropsItsAnswer)
{
    std::stop_source cancellation;
    m_store.check(cancellation.get_token());
    cancellation.request_stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_store.state(), State::idle());
    m_fake.checks[0].finish({State::current(), std::nullopt});
    QCoreApplication::processEvents();
    EXPECT_EQ(m_store.state(), State::idle());

    const QFuture<void> next = m_store.check();
    m_fake.checks[1].finish({State::current(), std::nullopt});
    await(next);
    EXPECT_EQ(m_store.state(), State::current());
    EXPECT_TRUE(m_store.check(cancellation.get_token()).isFinished()) << "a stopped token starts nothing";
    EXPECT_EQ(m_fake.checks.size(), 2u);

    // A stop that comes after its store is gone reaches nothing.
    std::stop_source late;
    {
        RemoteUpdateStore gone(m_fake.operations());
        gone.check(late.get_token());
    }
    late.request_stop();
    QCoreApplication::processEvents();
    m_fake.checks[2].finish({State::current(), std::nullopt});
    QCoreApplication::processEvents();
    EXPECT_EQ(m_fake.checks.size(), 3u);
}

} // namespace
} // namespace pulsegrove::testing

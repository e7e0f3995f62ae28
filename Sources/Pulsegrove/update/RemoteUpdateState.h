#pragma once

#include <QString>
#include <filesystem>
#include <variant>

namespace pulsegrove {

// How an available update reaches the user: a signed artefact the application downloads and
// verifies itself, or only the downloads page of the website.
enum class RemoteUpdateDelivery { signedArtifact, website };

// Where the update check, download and installation stand. Two states are equal when they are
// the same case with equal payloads.
class RemoteUpdateState {
public:
    struct Idle {
        friend bool operator==(const Idle &, const Idle &) = default;
    };
    struct Checking {
        friend bool operator==(const Checking &, const Checking &) = default;
    };
    struct Current {
        friend bool operator==(const Current &, const Current &) = default;
    };
    struct Unavailable {
        QString message;
        friend bool operator==(const Unavailable &, const Unavailable &) = default;
    };
    struct Available {
        QString version;
        bool mandatory = false;
        RemoteUpdateDelivery delivery = RemoteUpdateDelivery::signedArtifact;
        friend bool operator==(const Available &, const Available &) = default;
    };
    struct Downloading {
        QString version;
        friend bool operator==(const Downloading &, const Downloading &) = default;
    };
    struct Downloaded {
        QString version;
        std::filesystem::path fileURL;
        bool automaticInstallReady = false;
        friend bool operator==(const Downloaded &, const Downloaded &) = default;
    };
    struct ConfirmingInstall {
        QString version;
        std::filesystem::path fileURL;
        friend bool operator==(const ConfirmingInstall &, const ConfirmingInstall &) = default;
    };
    struct Installing {
        QString version;
        friend bool operator==(const Installing &, const Installing &) = default;
    };

    using Case = std::variant<Idle, Checking, Current, Unavailable, Available, Downloading, Downloaded,
                              ConfirmingInstall, Installing>;

    RemoteUpdateState() = default;
    RemoteUpdateState(Case value) : m_case(std::move(value)) {}

    static RemoteUpdateState idle() { return RemoteUpdateState(Idle{}); }
    static RemoteUpdateState checking() { return RemoteUpdateState(Checking{}); }
    static RemoteUpdateState current() { return RemoteUpdateState(Current{}); }
    static RemoteUpdateState unavailable(QString message)
    {
        return RemoteUpdateState(Unavailable{std::move(message)});
    }
    static RemoteUpdateState available(QString version, bool mandatory, RemoteUpdateDelivery delivery)
    {
        return RemoteUpdateState(Available{std::move(version), mandatory, delivery});
    }
    static RemoteUpdateState downloading(QString version)
    {
        return RemoteUpdateState(Downloading{std::move(version)});
    }
    static RemoteUpdateState downloaded(QString version, std::filesystem::path fileURL,
                                        bool automaticInstallReady)
    {
        return RemoteUpdateState(Downloaded{std::move(version), std::move(fileURL), automaticInstallReady});
    }
    static RemoteUpdateState confirmingInstall(QString version, std::filesystem::path fileURL)
    {
        return RemoteUpdateState(ConfirmingInstall{std::move(version), std::move(fileURL)});
    }
    static RemoteUpdateState installing(QString version)
    {
        return RemoteUpdateState(Installing{std::move(version)});
    }

    const Case &value() const { return m_case; }
    template <typename T> bool is() const { return std::holds_alternative<T>(m_case); }
    template <typename T> const T *as() const { return std::get_if<T>(&m_case); }

    friend bool operator==(const RemoteUpdateState &, const RemoteUpdateState &) = default;

private:
    Case m_case = Idle{};
};

} // namespace pulsegrove

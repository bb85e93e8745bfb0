#include "tournament/storechoice.h"

#include "tournament/servertournamentstore.h"
#include "tournament/sqlitetournamentstore.h"

#include <QSettings>
#include <QSysInfo>

namespace Zuvi {

namespace {

StoreChoice &currentChoice()
{
    static StoreChoice choice;
    return choice;
}

const QString kServerKey = QStringLiteral("station/server");
const QString kNameKey = QStringLiteral("station/name");
const QString kResultsOnlyKey = QStringLiteral("station/resultsOnly");

} // namespace

QString StoreChoice::stationName() const
{
    const QString name = station.simplified();
    return name.isEmpty() ? QSysInfo::machineHostName() : name;
}

void setStoreChoice(StoreChoice choice)
{
    currentChoice() = std::move(choice);
}

const StoreChoice &storeChoice()
{
    return currentChoice();
}

std::unique_ptr<TournamentStore> openChosenStore()
{
    const StoreChoice &choice = currentChoice();
    if (!choice.server)
        return std::make_unique<SqliteTournamentStore>();
    auto link = std::make_unique<Data::ServerLink>(*choice.server, choice.stationName());
    link->connect();
    return std::make_unique<ServerTournamentStore>(
        std::move(link), choice.resultsOnly ? ServerTournamentStore::Role::ResultsOnly
                                            : ServerTournamentStore::Role::Full);
}

StoreChoice rememberedStoreChoice()
{
    const QSettings settings;
    StoreChoice choice;
    const QString url = settings.value(kServerKey).toString();
    if (!url.isEmpty())
        choice.server = Data::ServerAddress::fromUrl(url);
    if (choice.server)
        choice.server->password.clear();
    choice.station = settings.value(kNameKey).toString();
    choice.resultsOnly = settings.value(kResultsOnlyKey).toBool();
    return choice;
}

void rememberStoreChoice(const StoreChoice &choice)
{
    QSettings settings;
    if (!choice.server) {
        settings.remove(kServerKey);
        settings.remove(kResultsOnlyKey);
        return;
    }
    // url() leaves the password out.
    settings.setValue(kServerKey, choice.server->url());
    settings.setValue(kNameKey, choice.station);
    settings.setValue(kResultsOnlyKey, choice.resultsOnly);
}

} // namespace Zuvi

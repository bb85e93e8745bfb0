#pragma once

// The private PostgreSQL server the tests run against: make test (ctest) starts it
// before the server tests and stops it after them (tools/test-postgres.sh), and hands its
// address over in the file named by ZUVI_TEST_SERVER_ENV.

#include "data/serverlink.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QTest>

#include <optional>

namespace Zuvi::Test {

struct TestServer
{
    Data::ServerAddress address; ///< with the password
    QString folder;              ///< the cluster's folder (socket, logs)
    QString bin;                 ///< the server's programs

    /// The test server, or nothing (with the reason in problem).
    static std::optional<TestServer> find(QString *problem)
    {
        const QString path = qEnvironmentVariable("ZUVI_TEST_SERVER_ENV");
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            *problem = QStringLiteral("no test server: ZUVI_TEST_SERVER_ENV names no readable "
                                      "file (\"%1\"); run the tests through ctest")
                           .arg(path);
            return std::nullopt;
        }
        QHash<QString, QString> values;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0)
                values.insert(QString::fromUtf8(line.left(equals)),
                              QString::fromUtf8(line.mid(equals + 1)));
        }
        std::optional<Data::ServerAddress> address =
            Data::ServerAddress::fromUrl(values.value(QStringLiteral("ZUVI_TEST_SERVER")), problem);
        if (!address)
            return std::nullopt;
        address->password = values.value(QStringLiteral("ZUVI_TEST_SERVER_PASSWORD"));
        return TestServer{*address, values.value(QStringLiteral("ZUVI_TEST_SERVER_FOLDER")),
                          values.value(QStringLiteral("ZUVI_TEST_SERVER_BIN"))};
    }

    /// Empties the test database: every table goes.
    void reset() const
    {
        Data::ServerLink admin(address, QStringLiteral("test admin"));
        admin.exec(QStringLiteral("SET client_min_messages = warning"));
        admin.exec(QStringLiteral("DROP SCHEMA public CASCADE"));
        admin.exec(QStringLiteral("CREATE SCHEMA public"));
    }
};

} // namespace Zuvi::Test

/// The test server for a test function; fails it (never skips it) where there is none.
#define ZUVI_REQUIRE_TEST_SERVER(server)                                                           \
    QString zuviServerProblem;                                                                     \
    const std::optional<Zuvi::Test::TestServer> server##Found =                                    \
        Zuvi::Test::TestServer::find(&zuviServerProblem);                                          \
    if (!server##Found)                                                                            \
        QFAIL(qPrintable(zuviServerProblem));                                                      \
    const Zuvi::Test::TestServer &server = *server##Found

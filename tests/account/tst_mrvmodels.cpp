#include "MRVModels.h"
#include "MRVNetworkClient.h"

#include <QJsonDocument>
#include <QTest>

class TestMRVModels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void snakeCase_data();
    void snakeCase();
    void decodeUser_data();
    void decodeUser();
    void decodeLoginResponse_data();
    void decodeLoginResponse();
    void encodeLeavesAbsentAvatarOut();
    void encodeRoundTrips();
    void descriptions();
    void validate_data();
    void validate();
};

void TestMRVModels::snakeCase_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "email" << "email";
    QTest::newRow("camel unchanged") << "displayName" << "displayName";
    QTest::newRow("acronym unchanged") << "avatarURL" << "avatarURL";
    QTest::newRow("display_name") << "display_name" << "displayName";
    QTest::newRow("avatar_url") << "avatar_url" << "avatarUrl";
    QTest::newRow("three words") << "first_second_third" << "firstSecondThird";
    QTest::newRow("case normalised") << "DISPLAY_NAME" << "displayName";
    QTest::newRow("mixed case words") << "aVATAR_uRL" << "avatarUrl";
    QTest::newRow("leading kept, no inner") << "_id" << "_id";
    QTest::newRow("trailing kept, no inner") << "id_" << "id_";
    QTest::newRow("leading and trailing kept") << "__display_name__" << "__displayName__";
    QTest::newRow("double inner underscore") << "display__name" << "displayName";
    QTest::newRow("only underscores") << "___" << "___";
    QTest::newRow("single underscore") << "_" << "_";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("digits") << "line_2_text" << "line2Text";
    QTest::newRow("non-ascii") << "über_straße" << "überStraße";
    QTest::newRow("greek capitalised") << "alpha_ΒΗΤΑ" << "alphaΒητα";
    QTest::newRow("camel inside word lowered") << "user_displayName" << "userDisplayname";
}

void TestMRVModels::snakeCase()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(mrv::convertFromSnakeCase(key), expected);
}

void TestMRVModels::decodeUser_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QVariant>("avatar"); // invalid = absent

    QTest::newRow("full") << QByteArray(R"({"id":"u1","email":"a@b.c","displayName":"Ann","avatarURL":"https://x/a.png"})")
                          << true << "Ann" << QVariant(QStringLiteral("https://x/a.png"));
    QTest::newRow("no avatar") << QByteArray(R"({"id":"u1","email":"a@b.c","displayName":"Ann"})") << true << "Ann" << QVariant();
    QTest::newRow("null avatar") << QByteArray(R"({"id":"u1","email":"a@b.c","displayName":"Ann","avatarURL":null})")
                                 << true << "Ann" << QVariant();
    QTest::newRow("avatar_url fills nothing")
        << QByteArray(R"({"id":"u1","email":"a@b.c","displayName":"Ann","avatar_url":"https://x/a.png"})") << true << "Ann"
        << QVariant();
    QTest::newRow("display_name fills displayName")
        << QByteArray(R"({"id":"u1","email":"a@b.c","display_name":"Bo"})") << true << "Bo" << QVariant();
    QTest::newRow("unknown keys ignored")
        << QByteArray(R"({"id":"u1","email":"a@b.c","displayName":"Ann","plan":{"tier":3},"x":[1,2]})") << true << "Ann"
        << QVariant();
    QTest::newRow("empty strings") << QByteArray(R"({"id":"","email":"","displayName":""})") << true << "" << QVariant();
    QTest::newRow("numeric id") << QByteArray(R"({"id":42,"email":"a@b.c","displayName":"Ann"})") << false << "" << QVariant();
    QTest::newRow("null id") << QByteArray(R"({"id":null,"email":"a@b.c","displayName":"Ann"})") << false << "" << QVariant();
    QTest::newRow("missing email") << QByteArray(R"({"id":"u1","displayName":"Ann"})") << false << "" << QVariant();
    QTest::newRow("missing displayName") << QByteArray(R"({"id":"u1","email":"a@b.c"})") << false << "" << QVariant();
    QTest::newRow("avatar wrong type") << QByteArray(R"({"id":"u1","email":"a@b.c","displayName":"Ann","avatarURL":5})")
                                       << false << "" << QVariant();
    QTest::newRow("array") << QByteArray("[]") << false << "" << QVariant();
    QTest::newRow("empty body") << QByteArray() << false << "" << QVariant();
    QTest::newRow("garbage") << QByteArray("<html>oops</html>") << false << "" << QVariant();
    QTest::newRow("truncated") << QByteArray(R"({"id":"u1","email":"a@)") << false << "" << QVariant();
    QTest::newRow("deep nesting") << QByteArray(10000, '[') << false << "" << QVariant();
}

void TestMRVModels::decodeUser()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, ok);
    QFETCH(QString, displayName);
    QFETCH(QVariant, avatar);
    const auto r = mrv::decodeUser(json);
    QCOMPARE(r.ok(), ok);
    if (!ok) {
        QVERIFY(std::holds_alternative<MRVDecodingError>(r.error()));
        return;
    }
    QCOMPARE(r.value().displayName, displayName);
    QCOMPARE(r.value().avatarURL.has_value(), avatar.isValid());
    if (avatar.isValid())
        QCOMPARE(*r.value().avatarURL, avatar.toString());
}

void TestMRVModels::decodeLoginResponse_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("ok");
    const QByteArray user = R"({"id":"u1","email":"a@b.c","displayName":"Ann"})";
    QTest::newRow("ok") << QByteArray(R"({"token":"t-1","user":)" + user + "}") << true;
    QTest::newRow("extra keys") << QByteArray(R"({"token":"t-1","expires_in":3600,"user":)" + user + "}") << true;
    QTest::newRow("missing token") << QByteArray(R"({"user":)" + user + "}") << false;
    QTest::newRow("numeric token") << QByteArray(R"({"token":7,"user":)" + user + "}") << false;
    QTest::newRow("missing user") << QByteArray(R"({"token":"t"})") << false;
    QTest::newRow("user is a string") << QByteArray(R"({"token":"t","user":"ann"})") << false;
    QTest::newRow("user incomplete") << QByteArray(R"({"token":"t","user":{"id":"u1"}})") << false;
}

void TestMRVModels::decodeLoginResponse()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, ok);
    const auto r = mrv::decodeLoginResponse(json);
    QCOMPARE(r.ok(), ok);
    if (ok) {
        QCOMPARE(r.value().token, QStringLiteral("t-1"));
        QCOMPARE(r.value().user.email, QStringLiteral("a@b.c"));
    } else {
        QVERIFY(std::holds_alternative<MRVDecodingError>(r.error()));
    }
}

void TestMRVModels::encodeLeavesAbsentAvatarOut()
{
    MRVUser u{QStringLiteral("u1"), QStringLiteral("a@b.c"), QStringLiteral("Ann"), std::nullopt};
    const QJsonObject o = mrv::encode(u);
    QCOMPARE(o.keys(), (QStringList{"displayName", "email", "id"}));
    u.avatarURL = QStringLiteral("https://x/a.png");
    QCOMPARE(mrv::encode(u).value(QStringLiteral("avatarURL")).toString(), QStringLiteral("https://x/a.png"));
}

void TestMRVModels::encodeRoundTrips()
{
    const MRVLoginResponse r{QStringLiteral("tök€n"),
                             MRVUser{QStringLiteral("u1"), QStringLiteral("ä@b.c"), QStringLiteral("Ann ✈"),
                                     QStringLiteral("https://x/a.png")}};
    const auto back = mrv::decodeLoginResponse(QJsonDocument(mrv::encode(r)).toJson());
    QVERIFY(back.ok());
    QCOMPARE(back.value(), r);
}

void TestMRVModels::descriptions()
{
    QCOMPARE(MRVAPIError::serverError(QStringLiteral("Bad URL")).description(), QStringLiteral("Bad URL"));
    QCOMPARE(MRVAPIError::invalidCredentials().description(), QStringLiteral("Invalid email or password."));
    QCOMPARE(MRVAPIError::tokenExpired().description(), QStringLiteral("Session expired. Please log in again."));
    QCOMPARE(MRVAPIError::noConnection().description(), QStringLiteral("No network connection."));
}

void TestMRVModels::validate_data()
{
    QTest::addColumn<int>("status"); // -1: no HTTP status
    QTest::addColumn<QString>("error"); // empty: accepted
    QTest::newRow("none") << -1 << "";
    QTest::newRow("200") << 200 << "";
    QTest::newRow("204") << 204 << "";
    QTest::newRow("299") << 299 << "";
    QTest::newRow("199") << 199 << "Server error 199";
    QTest::newRow("300") << 300 << "Server error 300";
    QTest::newRow("301") << 301 << "Server error 301";
    QTest::newRow("400") << 400 << "Server error 400";
    QTest::newRow("401") << 401 << "Invalid email or password.";
    QTest::newRow("403") << 403 << "Session expired. Please log in again.";
    QTest::newRow("404") << 404 << "Server error 404";
    QTest::newRow("500") << 500 << "Server error 500";
    QTest::newRow("503") << 503 << "Server error 503";
}

void TestMRVModels::validate()
{
    QFETCH(int, status);
    QFETCH(QString, error);
    const auto e = MRVNetworkClient::validate(status < 0 ? std::nullopt : std::optional<int>(status));
    QCOMPARE(e.has_value(), !error.isEmpty());
    if (e)
        QCOMPARE(e->description(), error);
}

QTEST_GUILESS_MAIN(TestMRVModels)
#include "tst_mrvmodels.moc"

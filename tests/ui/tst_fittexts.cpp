// Captions with a fallback font: where Liberation Sans is missing, no caption or help text
// of the three windows is cut. The test process sees only the DejaVu fonts (its own
// fontconfig file), as a machine without Liberation Sans does.

#include "support/roundfixture.h"

#include "playereditor/playerinfo.h"
#include "registration/throne.h"
#include "roundwindow/tournament.h"
#include "ui/fonts.h"
#include "ui/layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Zuvi;
using Zuvi::Test::Entrant;

namespace {

const char kFallbackFamily[] = "DejaVu Sans";

/// Why a control's caption is cut in its box, measured with the font's metrics (not with
/// the routine under test); empty when the caption is whole or the control has none.
QString cutCaption(const QWidget *control)
{
    const QFontMetrics metrics = control->fontMetrics();
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        if (label->text().isEmpty())
            return {};
        QRect room = label->contentsRect().marginsRemoved(
            QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
        // QLabel insets the text of a framed label by half an 'x' on its aligned sides.
        const int inset = label->indent() >= 0 ? label->indent()
                          : label->frameWidth() > 0
                              ? metrics.horizontalAdvance('x') / 2 - label->margin()
                              : 0;
        const Qt::Alignment align = label->alignment();
        room.adjust(align & Qt::AlignLeft ? inset : 0, align & Qt::AlignTop ? inset : 0,
                    align & Qt::AlignRight ? -inset : 0, align & Qt::AlignBottom ? -inset : 0);
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = metrics.boundingRect(room, flags, label->text());
        if (needed.width() > room.width() || needed.height() > room.height())
            return QStringLiteral("needs %1x%2 in %3x%4")
                .arg(needed.width())
                .arg(needed.height())
                .arg(room.width())
                .arg(room.height());
        return {};
    }
    const auto *button = qobject_cast<const QAbstractButton *>(control);
    if (!button || button->text().isEmpty())
        return {};
    const QStyle *style = button->style();
    int room =
        button->width() - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    if (qobject_cast<const QCheckBox *>(button)) {
        room = button->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button) -
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button);
        if (room <= 0)
            return {}; // only the box shows, by design
    }
    const QSize needed = metrics.size(Qt::TextShowMnemonic, button->text());
    if (needed.width() > room || needed.height() > button->height())
        return QStringLiteral("needs %1x%2 in %3x%4")
            .arg(needed.width())
            .arg(needed.height())
            .arg(room)
            .arg(button->height());
    return {};
}

/// Every cut caption of a window, one line each.
QStringList cutCaptions(const QWidget *window)
{
    QStringList cut;
    const auto controls = window->findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        if (const QString why = cutCaption(control); !why.isEmpty()) {
            const auto *label = qobject_cast<const QLabel *>(control);
            const auto *button = qobject_cast<const QAbstractButton *>(control);
            cut.append(QStringLiteral("%1 \"%2\" at %3 pt: %4")
                           .arg(control->objectName(), label ? label->text() : button->text())
                           .arg(control->font().pointSizeF())
                           .arg(why));
        }
    }
    return cut;
}

int shrunkControls(const QWidget *window)
{
    int count = 0;
    const auto controls = window->findChildren<QWidget *>();
    for (const QWidget *control : controls)
        count += control->property(Ui::kDesignPointSize).isValid() ? 1 : 0;
    return count;
}

const QList<Entrant> kEntrants = {
    {QStringLiteral("Ann"), QStringLiteral("Smith"), QStringLiteral("Stark")},
    {QStringLiteral("Bran"), QStringLiteral("Jones"), QStringLiteral("Tully")},
    {QStringLiteral("Cat"), QStringLiteral("Lee"), QStringLiteral("Arryn")},
};

} // namespace

class TestFitTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fallbackFontStandsIn();
    void windowsShowWholeCaptions();
    void controlIsFittedFromItsDesignSize_data();
    void controlIsFittedFromItsDesignSize();
    void hiddenCheckBoxCaptionIsLeftAlone();
};

void TestFitTexts::fallbackFontStandsIn()
{
    // Without this the other cases would check the face the layouts were drawn for.
    QCOMPARE(QFontInfo(Ui::defaultFont()).family(), QString::fromLatin1(kFallbackFamily));
    QCOMPARE(QFontInfo(Ui::sansFont(12, true)).family(), QString::fromLatin1(kFallbackFamily));
}

void TestFitTexts::windowsShowWholeCaptions()
{
    Test::RoundFixture fixture(kEntrants);
    QVERIFY(!QTest::currentTestFailed());
    Throne &throne = *fixture.throne;
    throne.show();

    QWidget *editor = Test::openEditor(throne);
    QVERIFY(editor);
    QVERIFY2(cutCaptions(editor).isEmpty(), qPrintable(cutCaptions(editor).join('\n')));
    int shrunk = shrunkControls(editor);
    editor->close();

    Tournament *round = Test::start(throne, QStringLiteral("3"));
    QVERIFY(round);
    QVERIFY(fixture.log.texts().isEmpty());

    // The registration and round windows fit their captions in their constructors.
    for (QWidget *window : {static_cast<QWidget *>(&throne), static_cast<QWidget *>(round)}) {
        const QStringList cut = cutCaptions(window);
        QVERIFY2(cut.isEmpty(), qPrintable(window->objectName() + ": " + cut.join('\n')));
        shrunk += shrunkControls(window);
    }
    // The fallback face is wider: some captions had to be made smaller.
    QVERIFY(shrunk > 0);
}

void TestFitTexts::controlIsFittedFromItsDesignSize_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("wordWrap");
    QTest::newRow("word-wrapped label") << QStringLiteral("label") << true;
    QTest::newRow("one-line label") << QStringLiteral("label") << false;
    QTest::newRow("push button") << QStringLiteral("button") << false;
}

void TestFitTexts::controlIsFittedFromItsDesignSize()
{
    QFETCH(QString, kind);
    QFETCH(bool, wordWrap);

    QWidget window;
    window.setFont(Ui::sansFont(9.75, true));
    std::unique_ptr<QWidget> owner;
    QWidget *control = nullptr;
    const auto setText = [&](const QString &text) {
        if (auto *label = qobject_cast<QLabel *>(control))
            label->setText(text);
        else
            static_cast<QPushButton *>(control)->setText(text);
    };
    if (kind == QLatin1String("label")) {
        auto *label = new QLabel(&window);
        label->setWordWrap(wordWrap);
        control = label;
    } else {
        control = new QPushButton(&window);
    }
    control->setGeometry(0, 0, 90, wordWrap ? 40 : 24);
    window.show();

    setText(QStringLiteral("Short"));
    Ui::fitText(control);
    QCOMPARE(control->font().pointSizeF(), 9.75); // fits: unchanged

    const QString longer = wordWrap ? QStringLiteral("Number of Rounds to play today")
                                    : QStringLiteral("Remove Tourny");
    setText(longer);
    QVERIFY(!cutCaption(control).isEmpty()); // the case needs fitting
    Ui::fitText(control);
    QVERIFY2(cutCaption(control).isEmpty(), qPrintable(cutCaption(control)));
    QVERIFY(control->font().pointSizeF() < 9.75);
    QVERIFY(control->font().pointSizeF() >= 9.75 * 0.7);

    // A shorter text again: fitted from the size the control was laid out with.
    setText(QStringLiteral("Short"));
    Ui::fitText(control);
    QCOMPARE(control->font().pointSizeF(), 9.75);
}

void TestFitTexts::hiddenCheckBoxCaptionIsLeftAlone()
{
    QWidget window;
    window.setFont(Ui::defaultFont());
    auto *check = new QCheckBox(QStringLiteral("Check1"), &window);
    check->setGeometry(0, 0, 13, 13);
    window.show();
    Ui::fitTexts(&window);
    QCOMPARE(check->font().pointSizeF(), Ui::defaultFont().pointSizeF());
}

// Before the application starts, the process is shown only the DejaVu fonts.
int main(int argc, char *argv[])
{
    QTemporaryDir fonts;
    if (!fonts.isValid())
        qFatal("no temporary folder");
    QFile config(fonts.filePath(QStringLiteral("fonts.conf")));
    if (!config.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(config.fileName()));
    config.write(QStringLiteral("<?xml version=\"1.0\"?>\n"
                                "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                                "<fontconfig>\n"
                                "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
                                "  <cachedir>%1</cachedir>\n"
                                "  <alias><family>sans-serif</family>"
                                "<prefer><family>%2</family></prefer></alias>\n"
                                "</fontconfig>\n")
                     .arg(fonts.filePath(QStringLiteral("cache")), QLatin1String(kFallbackFamily))
                     .toUtf8());
    config.close();
    qputenv("FONTCONFIG_FILE", QFile::encodeName(config.fileName()));

    QApplication app(argc, argv);
    TestFitTexts test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fittexts.moc"

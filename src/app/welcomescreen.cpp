#include "app/welcomescreen.h"

#include "ui/look.h"
#include "app/sectionmenu.h"

#include <QLabel>

namespace valthera {

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const look::Place &place, double pointSize)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    look::styleBlueLabel(label);
    label->setFont(look::sansSerif(pointSize));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    look::place(label, place);
    return label;
}

} // namespace

WelcomeScreen::WelcomeScreen(ScreenRegistry &registry)
    : MenuWindow(registry, QStringLiteral("Introduction"), 10395, 7275)
{
    SectionMenu::nameForWelcomeScreen(this);
    QWidget *client = this->client();
    greeting_ = makeLabel(client, "Label1", {2880, 3720, 7335, 615}, 13.5);
    title_ = makeLabel(client, "Label2", {2880, 4800, 6975, 615}, 13.5);
    recommendation_ = makeLabel(client, "Label3", {3720, 5640, 5415, 855}, 12);
    load();
}

void WelcomeScreen::load()
{
    greeting_->setText(QStringLiteral("Orvek Welcomes You To"));
    title_->setText(QStringLiteral("VALTHERA"));
    recommendation_->setText(
        QStringLiteral("We recommend that you start your first session by visiting the instructions page"));
}

} // namespace valthera

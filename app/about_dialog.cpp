#include "app/about_dialog.h"

#include "layout/window_texts.h"
#include "platform/text.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(platform::ToQString(layout::words::kAboutTitle));
    auto* icon = new QLabel;
    icon->setPixmap(QIcon(QStringLiteral(":/hubquill.png")).pixmap(48, 48));
    m_version = new QLabel(QStringLiteral("Caption set by OnBnClickedAbout()."));
    m_version->setObjectName(QStringLiteral("version"));
    auto* line = new QLabel(platform::ToQString(layout::words::kAboutLine));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(m_version, 0, 1);
    grid->addWidget(line, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);

    m_version->setText(platform::ToQString(layout::words::kVersion));
}

QString CAboutDlg::versionText() const { return m_version->text(); }

#pragma once

#include <QDialog>

class QLabel;

// The About box: the application icon, the version and one line about the program.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QString versionText() const;

private:
    QLabel* m_version;
};

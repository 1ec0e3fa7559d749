#pragma once

// The file controls every editor has: "Output File Name", "Binary Input File to Load:",
// "Browse", "LOAD from FILE", "Create EEPROM File" and the hex listing, with the steps of
// the file actions they share. Each editor places the widgets where its window wants them.

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class CE2promData;
class CFileManager;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace platform {

class FilePanel : public QObject {
    Q_OBJECT
public:
    explicit FilePanel(QWidget* owner);

    QLineEdit* outputName() const { return m_outputName; }
    QLineEdit* inputName() const { return m_inputName; }
    // The captions of the two name boxes (each the buddy of its box).
    QLabel* outputLabel() const { return m_outputLabel; }
    QLabel* inputLabel() const { return m_inputLabel; }
    QPushButton* browseButton() const { return m_browse; }
    QPushButton* loadButton() const { return m_load; }
    QPushButton* createButton() const { return m_create; }
    QListWidget* listing() const { return m_listing; }

    // The sixteen lines of the image, or an empty listing.
    void listImage(const CE2promData& image);
    void clearListing();

    // Create, first step: hands the output name to the file manager. An empty box keeps
    // the name set last; with no name ever set the user is told and false is answered.
    bool takeOutputName(CFileManager& files);
    // Create, last step: writes the whole image; a failure is reported and answers false.
    bool writeImage(CFileManager& files, const CE2promData& image);

    // Load, first steps: checks the input name, hands it to the file manager and reads
    // `count` bytes from the start of the file. Tells the user and answers nothing on any
    // failure.
    std::optional<std::vector<std::uint8_t>> readHead(CFileManager& files, int count);

signals:
    void loadClicked();
    void createClicked();

private:
    void browse();

    QWidget* m_owner;
    QLineEdit* m_outputName;
    QLineEdit* m_inputName;
    QLabel* m_outputLabel;
    QLabel* m_inputLabel;
    QPushButton* m_browse;
    QPushButton* m_load;
    QPushButton* m_create;
    QListWidget* m_listing;
};

} // namespace platform

#pragma once

#include "manifest/OpenManifest.h"
#include "platform/widgets/FolderNavigator.h"

#include <QMainWindow>

#include <memory>

class DriveList;
class FileList;
class FlexGrid;
class FolderList;
class Label;
class QGroupBox;
class QPushButton;
class QWindow;
class TextBox;
class ManifestHost;
struct VeyraVariables;

// The manifest window: up to 49 persons with their screening status, saved as "Manifest-<number>" in the
// manifest folder, reopened from its file list, mailed as HTML.
class VeyraManifest : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr auto EmailCaption = "Email";
    static constexpr auto SentCaption = "SENT";

    explicit VeyraManifest(ManifestHost &host);

    // Points the folder list at folder (its change handler runs); false when the folder cannot be read.
    bool setFolder(const QString &folder, QString *error = nullptr);

    // Grid rows 1 to 49, each with the cells of columns 0 to 6, and the Manifest # text: what is printed.
    QList<QStringList> personRows() const;
    QString manifestNumber() const;

    // Where a printout went when no printer took it, in a line under the manifest actions.
    void showPrintNotice(const QString &text, const QColor &color);

    void createHeader1();
    void LoadManifest();
    void MakeMessage();

    void Form_Activate();
    void Form_Unload();
    void Back_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Dir1_Change();
    void Drive1_Change(const QString &drive);
    void File1_Click(const QString &fileName);
    void Text1_Change();
    void Text2_Change();
    void MSFlexGrid1_KeyPress(int keyCode);
    void MSFlexGrid1_RowColChange();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void placeGrowingControls(const QSize &size);
    void focusWindowChanged(QWindow *window);
    bool ownsWindow(const QWindow *window) const;
    void showMessage(const QString &text);

    ManifestHost &m_host;
    VeyraVariables &m_vars;
    OpenManifest m_openManifest;
    bool m_unloaded = false;
    // Whether the window that had the focus last was this one or one of its own boxes: activation resets the
    // manifest only when the operator comes from another of the program's windows. Kept as a flag, since a
    // closed box is gone by the time the focus comes back.
    bool m_focusWasHere = false;
    std::unique_ptr<FolderNavigator> m_navigator;

    TextBox *m_manifestNumber = nullptr; // Text1
    TextBox *m_recipients = nullptr;     // Text2
    FlexGrid *m_grid = nullptr;          // MSFlexGrid1
    DriveList *m_driveList = nullptr;    // Drive1
    FolderList *m_folderList = nullptr;  // Dir1
    FileList *m_fileList = nullptr;      // File1
    Label *m_printNotice = nullptr;
    QGroupBox *m_actions = nullptr;        // Frame1
    QPushButton *m_saveButton = nullptr;   // Command1
    QPushButton *m_importButton = nullptr; // Command2
    QPushButton *m_printButton = nullptr;  // Command3
    QPushButton *m_emailButton = nullptr;  // Command4
    TextBox *m_footer = nullptr;           // Footer_1, the printout's footer holder
};

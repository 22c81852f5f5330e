#include "linux_setup_window.h"

#include "linux_setup_files.h"
#include "message_box.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TLinuxSetupWindow::TLinuxSetupWindow(const TLinuxSetup &setup, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_setup(setup)
{
    setObjectName(QStringLiteral("LinuxSetupWindow"));
    setWindowTitle(QStringLiteral("Linux Set-up"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_text = new QPlainTextEdit(setup.textWithStableNames(), this);
    m_text->setObjectName(QStringLiteral("LinuxSetupText"));
    m_text->setReadOnly(true);
    // Shell lines are copied whole: no wrapping, in the terminal's font.
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *save = buttons->addButton(QStringLiteral("Save..."), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("SaveButton"));
    connect(save, &QPushButton::clicked, this, &TLinuxSetupWindow::saveButtonClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    // Wide enough for the setserial lines, as far as the screen allows.
    const QFontMetrics metrics(m_text->font());
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 100, metrics.lineSpacing() * 30);
}

QString TLinuxSetupWindow::text() const
{
    return m_text->toPlainText();
}

void TLinuxSetupWindow::saveButtonClick()
{
    QFileDialog dialog(this, QStringLiteral("Save the Linux Set-up into a Folder"));
    dialog.setObjectName(QStringLiteral("LinuxSetupFolderDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveInto(dialog.selectedFiles().constFirst());
}

bool TLinuxSetupWindow::saveInto(const QString &folder)
{
    QStringList written;
    const QString error = LinuxSetupFiles::write(m_setup, folder, &written);
    if (error.isEmpty())
        return true;
    showMessageBox(this, QMessageBox::Warning, QStringLiteral("Linux Set-up"),
                   error + QStringLiteral("\n\nChoose a folder you may write into; ") +
                       (written.isEmpty()
                            ? QStringLiteral("nothing has been saved.")
                            : QStringLiteral("%1 of the files have been saved.").arg(written.size())),
                   QMessageBox::Ok);
    return false;
}

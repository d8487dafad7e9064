#include "study/StudyOpening.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <fstream>
#include <thread>

#include "Messages.h"
#include "magic/MagicTable.h"
#include "results/Batch.h"
#include "study/StudySession.h"

namespace korvanes::gui {
namespace {

std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// What the study of the chosen paths is: its file and how to start it anew.
struct StudyPlan {
    QString folder;
    QString studyFile;
    QStringList dataFiles;  // absolute
    QString magicFile;
};

std::optional<StudyPlan> PlanOf(QWidget* parent, const QStringList& paths)
{
    StudyPlan plan;
    const QFileInfo first(paths.value(0));
    if (paths.size() == 1 && first.isDir()) {
        plan.folder = first.absoluteFilePath();
        for (const std::string& name : DataFilesInFolder(Bytes(plan.folder))) {
            plan.dataFiles << QDir(plan.folder).absoluteFilePath(QFile::decodeName(QByteArray::fromStdString(name)));
        }
    } else if (paths.size() == 1 && first.suffix().compare(QStringLiteral("json"), Qt::CaseInsensitive) == 0) {
        plan.folder = first.absolutePath();
        plan.studyFile = first.absoluteFilePath();
    } else if (paths.size() == 1 && first.suffix().compare(QStringLiteral("kvd"), Qt::CaseInsensitive) != 0 &&
               IsMagicFile(first.absoluteFilePath())) {
        plan.folder = first.absolutePath();
        plan.magicFile = first.absoluteFilePath();
    } else {
        plan.folder = first.absolutePath();
        for (const QString& path : paths) {
            plan.dataFiles << QFileInfo(path).absoluteFilePath();
        }
    }
    if (!first.exists()) {
        ShowMessage(parent, QObject::tr("\"%1\" does not exist.").arg(QDir::toNativeSeparators(paths.value(0))),
                    QMessageBox::Warning);
        return std::nullopt;
    }
    if (plan.studyFile.isEmpty()) {
        plan.studyFile = QDir(plan.folder).absoluteFilePath(QString::fromLatin1(kStudyFileName));
    }
    return plan;
}

std::vector<std::string> ByteList(const QStringList& paths)
{
    std::vector<std::string> list;
    for (const QString& path : paths) {
        list.push_back(Bytes(path));
    }
    return list;
}

}  // namespace

bool RunWithProgress(QWidget* parent, const QString& label, std::size_t total,
                     const std::function<void(StudyProgress&)>& work)
{
    StudyProgress progress;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work(progress);
        finished = true;
    });
    QProgressDialog dialog(label, QObject::tr("Cancel"), 0, static_cast<int>(std::min<std::size_t>(total, 1 << 30)),
                           parent);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(400);
    dialog.setValue(0);
    while (!finished) {
        dialog.setValue(static_cast<int>(progress.done.load()));
        if (dialog.wasCanceled()) {
            progress.cancel = true;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    dialog.reset();
    return !progress.cancel;
}

bool IsMagicFile(const QString& path)
{
    std::ifstream in(Bytes(path), std::ios::binary);
    char head[4096];
    in.read(head, sizeof head);
    return magic::LooksLikeMagicText(std::string_view(head, static_cast<std::size_t>(in.gcount())));
}

std::unique_ptr<StudySession> OpenStudy(QWidget* parent, const QStringList& paths, const CCriteriaSet& criteria,
                                        const QString& samples, const QString& sites)
{
    if (paths.isEmpty()) {
        return nullptr;
    }
    const std::optional<StudyPlan> plan = PlanOf(parent, paths);
    if (!plan) {
        return nullptr;
    }
    const unsigned jobs = DefaultBatchJobs();
    std::string lockError;
    std::unique_ptr<StudyLock> lock = StudyLock::Acquire(Bytes(plan->studyFile), lockError);
    bool readOnly = !lock;
    if (!lock) {
        ShowMessage(parent,
                    QObject::tr("The study opens read-only: %1.").arg(Text(lockError)),
                    QObject::tr("Choices made now are not kept in %1.").arg(QDir::toNativeSeparators(plan->studyFile)),
                    QMessageBox::Information);
    }

    Study study;
    bool restored = false;
    std::string error;
    if (QFileInfo::exists(plan->studyFile)) {
        StudyFileRead read = ReadStudyFile(Bytes(plan->studyFile));
        if (!read.ok) {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("KorvanesTool"),
                            QObject::tr("The study file \"%1\" cannot be used: %2%3.")
                                .arg(QDir::toNativeSeparators(plan->studyFile), Text(read.reason),
                                     read.line > 0 ? QObject::tr(" (line %1)").arg(read.line) : QString()),
                            QMessageBox::Cancel, parent);
            box.setInformativeText(QObject::tr("It is left as it is. The data can be opened read-only, without the "
                                               "choices kept in it."));
            QPushButton* readOnlyButton = box.addButton(QObject::tr("Open Read-Only"), QMessageBox::AcceptRole);
            box.setDefaultButton(QMessageBox::Cancel);
            box.exec();
            if (box.clickedButton() != readOnlyButton) {
                return nullptr;
            }
            readOnly = true;
        } else {
            study = std::move(read.study);
            restored = true;
            if (!RunWithProgress(parent, QObject::tr("Reading the study..."), study.specimens.size(),
                                 [&](StudyProgress& progress) { ReadStudyData(study, jobs, &progress, error); })) {
                return nullptr;
            }
            if (!plan->dataFiles.isEmpty() && paths.size() > 1) {
                AddStudyFiles(study, ByteList(plan->dataFiles), criteria, jobs, nullptr);
            }
        }
    }
    if (!restored) {
        if (!plan->magicFile.isEmpty()) {
            const magic::MagicSources sources{Bytes(plan->magicFile), Bytes(samples), Bytes(sites)};
            if (!RunWithProgress(parent, QObject::tr("Importing the MagIC file..."), 1, [&](StudyProgress& progress) {
                    study = StudyOfMagic(Bytes(plan->folder), sources, criteria, jobs, &progress, error);
                })) {
                return nullptr;
            }
        } else {
            if (!RunWithProgress(parent, QObject::tr("Reading the data files..."),
                                 static_cast<std::size_t>(plan->dataFiles.size()), [&](StudyProgress& progress) {
                                     study = StudyOfFiles(Bytes(plan->folder), ByteList(plan->dataFiles), criteria,
                                                          jobs, &progress.cancel, &progress.done);
                                 })) {
                return nullptr;
            }
        }
        if (study.specimens.empty()) {
            ShowMessage(parent, QObject::tr("There is no specimen to study in \"%1\".")
                                    .arg(QDir::toNativeSeparators(paths.value(0))),
                        Text(error), QMessageBox::Warning);
            return nullptr;
        }
    }
    // What the user should know about the data: files gone or changed.
    QStringList notes;
    for (const StudySpecimen& specimen : study.specimens) {
        if (specimen.state != DataState::kOk) {
            notes << QStringLiteral("%1: %2").arg(QFile::decodeName(QByteArray::fromStdString(specimen.file)),
                                                  Text(specimen.problem));
        }
    }
    if (!error.empty()) {
        notes.prepend(Text(error));
    }
    auto session = std::make_unique<StudySession>(std::move(study), plan->studyFile, std::move(lock), readOnly);
    if (!readOnly && !restored) {
        session->Save();
    }
    if (!notes.isEmpty()) {
        ShowMessage(parent, QObject::tr("Some specimens of the study need attention."), notes.join(QLatin1Char('\n')),
                    QMessageBox::Information);
    }
    return session;
}

}  // namespace korvanes::gui

#include "app/Headless.h"

#include "app/Application.h"
#include "core/ui/IHM_option_compteur.h"
#include "core/ui/IHM_option_date.h"
#include "core/ui/IHM_type_fichier.h"
#include "core/ui/MD_utilitaire.h"
#include "core/ui/Main.h"
#include "core/ui/fileGridModel.h"
#include "core/dateFormats.h"
#include "core/nameUtils.h"
#include "exif/exifDump.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/RadioGroup.h"
#include "platform/fileSystem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <functional>
#include <vector>

namespace varlime {

namespace {

struct Context {
    Application& app;
    ConsoleMessageService& messages;
    QTextStream& out;
    QTextStream& err;
    QString folder;
    // Steps that need every option first (the date prefix depends on the format,
    // the separator and the counter's side).
    std::vector<std::function<void(Context&)>> apres;
};

struct Option {
    const char* name;
    bool takesValue;
    // Sets the controls; returns an error text, empty when the value is fine.
    std::function<QString(Context&, const QString&)> apply;
};

QString setInteger(QString value, const std::function<void(const QString&)>& set, const char* what) {
    int v = 0;
    if (!toInteger(value.toStdString(), v))
        return QStringLiteral("%1 expects a whole number, not '%2'").arg(QString::fromLatin1(what), value);
    set(value.trimmed());
    return {};
}

const std::vector<Option>& options() {
    static const std::vector<Option> table = {
        {"--mask", true, [](Context& c, const QString& v) {
             c.app.MainForm().EDT_masque_recherche->setText(v);
             return QString();
         }},
        {"--prefix", true, [](Context& c, const QString& v) {
             c.app.MainForm().EDT_prefixe_remplacement->setText(v);
             return QString();
         }},
        {"--width", true, [](Context& c, const QString& v) {
             int w = 0;
             if (!toInteger(v.toStdString(), w) || w < 1 || w > 9)
                 return QStringLiteral("--width expects a number from 1 to 9, not '%1'").arg(v);
             c.app.MainForm().CBB_largeur_increment->setCurrentText(QString::number(w));
             return QString();
         }},
        {"--start", true, [](Context& c, const QString& v) {
             return setInteger(v, [&](const QString& t) { c.app.MainForm().EDT_initialisation->setText(t); },
                               "--start");
         }},
        {"--counter-left", false, [](Context& c, const QString&) {
             c.app.MainForm().Positionne_compteur(0);
             return QString();
         }},
        {"--alphabetic", false, [](Context& c, const QString&) {
             c.app.DLG_option_compteur().RGA_type_compteur->setItemIndex(1);
             return QString();
         }},
        {"--extension", true, [](Context& c, const QString& v) {
             TMainForm& m = c.app.MainForm();
             m.CKB_extension->setChecked(true);
             m.TXT_extension_remplacement->setEnabled(true);
             m.TXT_extension_remplacement->setText(v);
             return QString();
         }},
        {"--files", true, [](Context& c, const QString& v) {
             TDLG_type_fichier& t = c.app.DLG_type_fichier();
             if (v == QStringLiteral("all")) {
                 t.GRA_fichier->setItemIndex(0);
             } else if (v == QStringLiteral("no-folders")) {
                 t.GRA_fichier->setItemIndex(1);
             } else if (v.startsWith(QStringLiteral("attributes="))) {
                 int n = 0;
                 if (!toInteger(v.mid(11).toStdString(), n) || n < 0 || n > 63)
                     return QStringLiteral("--files attributes=N expects N from 0 to 63, not '%1'").arg(v.mid(11));
                 t.GRA_fichier->setItemIndex(2);
                 t.CKB_lecture_seule->setChecked(n & attrLectureSeule);
                 t.CKB_cache->setChecked(n & attrCache);
                 t.CKB_systeme->setChecked(n & attrSysteme);
                 t.CKB_volume->setChecked(n & attrVolume);
                 t.CKB_repertoire->setChecked(n & attrRepertoire);
                 t.CKB_archive->setChecked(n & attrArchive);
             } else {
                 return QStringLiteral("--files expects all, no-folders or attributes=N, not '%1'").arg(v);
             }
             return QString();
         }},
        {"--date-prefix", true, [](Context& c, const QString& v) {
             TDLG_option_date& d = c.app.DLG_option_date();
             if (v == QStringLiteral("file")) {
                 d.CKB_date->setChecked(true);
                 d.RGA_select_source_date->setItemIndex(1);
             } else if (v == QStringLiteral("fixed") || v.startsWith(QStringLiteral("fixed:"))) {
                 // "fixed" alone is today's date (VARLIME_TODAY fixes it for tests).
                 const QDate date =
                     v == QStringLiteral("fixed") ? dateDuJour() : dateDepuisTexte(v.mid(6).toStdString());
                 if (!date.isValid())
                     return QStringLiteral("--date-prefix fixed:YYYY-MM-DD expects a real date, not '%1'")
                         .arg(v.mid(6));
                 d.CKB_date->setChecked(true);
                 d.RGA_select_source_date->setItemIndex(0);
                 d.EDT_date->setDate(date);
             } else {
                 return QStringLiteral("--date-prefix expects file or fixed:YYYY-MM-DD, not '%1'").arg(v);
             }
             c.apres.push_back([](Context& c) { c.app.DLG_option_date().BT_okClick(); });
             return QString();
         }},
        {"--date-format", true, [](Context& c, const QString& v) {
             int n = 0;
             if (!toInteger(v.toStdString(), n) || n < 0 || n > 7)
                 return QStringLiteral("--date-format expects a number from 0 to 7, not '%1'").arg(v);
             c.app.DLG_option_date().RGA_type_date->setItemIndex(n);
             return QString();
         }},
        {"--date-separator", true, [](Context& c, const QString& v) {
             TDLG_option_date& d = c.app.DLG_option_date();
             d.CKB_separateur->setChecked(true);
             d.CBB_separateur_final->setEditText(v);
             return QString();
         }},
        {"--no-date-separator", false, [](Context& c, const QString&) {
             c.app.DLG_option_date().CKB_separateur->setChecked(false);
             return QString();
         }},
        {"--counter-inactive", false, [](Context& c, const QString&) {
             c.app.MainForm().CKB_compteur_inactif->setChecked(true);
             return QString();
         }},
        {"--counter-active", false, [](Context& c, const QString&) {
             c.app.MainForm().CKB_compteur_inactif->setChecked(false);
             return QString();
         }},
    };
    return table;
}

void imprimerGrille(Context& c) {
    TMainForm& m = c.app.MainForm();
    if (!m.Fichiers_trouves)
        return;
    for (const FileRow& r : m.grille().rows())
        c.out << QString::fromStdString(r.ancien) << '\t' << QString::fromStdString(r.nouveau) << '\n';
}

QString sansCrLf(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

struct Command {
    const char* name;
    std::function<int(Context&)> run;
};

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"--preview", [](Context& c) {
             imprimerGrille(c);
             return 0;
         }},
        // Handled before any window exists (see executerDump); listed here so that
        // it is recognised as a command without a window.
        {"--dump", [](Context&) { return 2; }},
        {"--test", [](Context& c) {
             // The report of the test before renaming, one line each; nothing changes.
             for (const std::string& l : c.app.MainForm().Rapport_test().lignes)
                 c.out << QString::fromStdString(l) << '\n';
             return 0;
         }},
        {"--rename", [](Context& c) {
             TMainForm& m = c.app.MainForm();
             const auto before = c.messages.shown.size();
             m.Varlimer();
             // The summary is the last message the run showed.
             if (c.messages.shown.size() > before)
                 c.out << sansCrLf(c.messages.shown.back()) << '\n';
             return m.dernierBilan.erreurs == 0 ? 0 : 3;
         }},
    };
    return table;
}

const Command* trouverCommande(const QString& name) {
    for (const Command& c : commands())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

const Option* trouverOption(const QString& name) {
    for (const Option& o : options())
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// `--dump FILE...`: for each file in turn, the lines the EXIF dump window shows for
// it. A file that is missing or cannot be read still gets its dump (with the
// reader's outcome); the status is then 1.
int executerDump(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.size() < 3) {
        err << "varlime: --dump needs at least one FILE\n";
        return 2;
    }
    TimgData reader;
    int status = 0;
    for (qsizetype i = 2; i < args.size(); ++i) {
        const std::string path = args[i].toLocal8Bit().toStdString();
        for (const std::string& line : DumpExifFile(reader, path))
            out << QString::fromStdString(line) << '\n';
        if (reader.ErrorText.empty() || reader.ErrorText == "Illegal Exif construction")
            status = 1;
    }
    return status;
}

} // namespace

bool estCommandeSansFenetre(const QStringList& args) {
    return args.size() >= 2 && trouverCommande(args[1]) != nullptr;
}

int executerSansFenetre(const QStringList& args, const std::string& programFolder, QTextStream& out,
                        QTextStream& err) {
    const Command* command = args.size() >= 2 ? trouverCommande(args[1]) : nullptr;
    if (!command) {
        err << "varlime: unknown command\n";
        return 2;
    }
    if (args[1] == QLatin1String("--dump"))
        return executerDump(args, out, err);
    if (args.size() < 3 || args[2].startsWith(QStringLiteral("--"))) {
        err << "varlime: " << args[1] << " needs a FOLDER\n";
        return 2;
    }
    ConsoleMessageService messages;
    messages.quiet = true;
    Application app(programFolder, messages);
    // The stored options first, as a window's activation would apply them; the
    // command line then changes the controls, and nothing is written back.
    app.DB_utilitaire().Lecture_parametres();
    Context c{app, messages, out, err, args[2], {}};
    for (qsizetype i = 3; i < args.size(); ++i) {
        const Option* o = trouverOption(args[i]);
        if (!o) {
            err << "varlime: unknown option " << args[i] << '\n';
            return 2;
        }
        QString value;
        if (o->takesValue) {
            if (i + 1 >= args.size()) {
                err << "varlime: " << args[i] << " needs a value\n";
                return 2;
            }
            value = args[++i];
        }
        const QString problem = o->apply(c, value);
        if (!problem.isEmpty()) {
            err << "varlime: " << problem << '\n';
            return 2;
        }
    }
    for (auto& etape : c.apres)
        etape(c);
    const std::string folder = c.folder.toStdString();
    if (!Chemin_valide(folder)) {
        err << "varlime: no such folder: " << c.folder << '\n';
        return 1;
    }
    TMainForm& m = app.MainForm();
    m.Repertoire_courant = folder;
    const auto before = messages.shown.size();
    m.Validation_repertoire(false);
    // A message shown by the preview (a value that is not a number) is an error here.
    for (auto i = before; i < messages.shown.size(); ++i)
        err << "varlime: " << sansCrLf(messages.shown[i]) << '\n';
    if (messages.shown.size() > before)
        return 1;
    return command->run(c);
}

} // namespace varlime

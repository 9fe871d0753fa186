// SPDX-License-Identifier: GPL-3.0-or-later
// The offer made at start for a run that never ended: what it counts and what it skips.
#include "core/renameJournal.h"
#include "support/ui_support.h"
#include "window/Main.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace varlime;
using namespace varlime::test;

namespace {

// Three renames made; the marks are written in batches, so a run that died may have
// written fewer of them. The offer counts the files that would go back, as they are on
// disk. A run that still holds its journal is told as going on, and nothing is offered
// or renamed.
TEST(StartOffer, CountsTheFilesOnDiskAndSkipsARunGoingOn) {
    const struct {
        const char* name;
        int marques;
        bool enCours;
        const char* message;
        std::vector<std::string> apres;
    } cases[] = {
        {"every mark written", 3, false, " 3 changements", {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}},
        {"one mark written", 1, false, " 3 changements", {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}},
        {"run going on", 1, true, "est en cours", {"P1.jpg", "P2.jpg", "P3.jpg", "d.jpg"}},
    };
    for (const auto& c : cases) {
        AppFixture f;
        TempDir photos;
        std::vector<JournalLu::Ligne> lignes;
        DossierListe d;
        ASSERT_TRUE(d.ouvrir(photos.path()));
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) {
            photos.write(n, n);
            const IdentiteFichier id = identiteFichier(d.fd(), n);
            lignes.push_back({n, "P" + std::to_string(lignes.size() + 1) + ".jpg", id.inode,
                              id.naissance, false});
        }
        const std::string chemin = dossierJournaux() + "run-20260101-000000-000000000-1-1.journal";
        std::string texte = texteEnteteJournal(photos.path(), identiteDossier(d.fd()),
                                               "2026-01-01 00:00:00", lignes, false);
        for (int i = 0; i < c.marques; ++i)
            texte += "fait " + std::to_string(i) + "\n";
        std::filesystem::create_directories(dossierJournaux());
        {
            const int fd = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            ASSERT_GE(fd, 0) << c.name;
            ASSERT_EQ(::write(fd, texte.data(), texte.size()), ssize_t(texte.size()));
            ::close(fd);
        }
        for (std::size_t i = 0; i < 3; ++i)
            ASSERT_EQ(
                ::renameat(d.fd(), lignes[i].ancien.c_str(), d.fd(), lignes[i].nouveau.c_str()), 0);
        // A run going on holds its journal locked.
        const int verrou = c.enCours ? ::open(chemin.c_str(), O_RDONLY) : -1;
        if (c.enCours) {
            ASSERT_EQ(::flock(verrou, LOCK_EX), 0);
        }
        f.messages.answer(true);
        f.app->MainForm().Signaler_varlimage_interrompu();
        if (verrou >= 0)
            ::close(verrou);
        ASSERT_GE(f.messages.shown.size(), 1u) << c.name;
        EXPECT_NE(f.messages.shown[0].text.toStdString().find(c.message), std::string::npos)
            << c.name << ": " << f.messages.shown[0].text.toStdString();
        EXPECT_EQ(photos.names(), c.apres) << c.name;
    }
}

} // namespace

#include "tests/support/gui.h"
#include "toolkit/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dn;

TEST(FileDialog, FiltersReadInTheWindowsFormAsInTheToolkitsOwn) {
    EXPECT_EQ(tk::qtFilter("File ZIP (*.zip)|*.zip"), "File ZIP (*.zip)");
    EXPECT_EQ(tk::qtFilter("Tabelle|*.dbf;*.dbt|Tutti i file (*.*)|*.*"),
              "Tabelle (*.dbf *.dbt);;Tutti i file (*.*)");
    EXPECT_EQ(tk::qtFilter("File PDF (*.pdf)"), "File PDF (*.pdf)");
    EXPECT_EQ(tk::qtFilter(""), "");
}

TEST(FileDialog, ReturnsTheChosenPathOrNothingWhenCancelled) {
    test::guiApp();
    QTemporaryDir dir;
    const std::string folder = QDir::toNativeSeparators(dir.path()).toStdString();
    tk::FileRequest r;
    r.save = true;
    r.title = "Salvataggio dati";
    r.filter = "File ZIP (*.zip)|*.zip";
    r.folder = folder;
    r.name = "copia del 19022024.zip";
    test::DialogDriver drive;
    test::FileDialogState seen;
    drive.onFile([&](QFileDialog& d) {
        seen = test::fileDialogState(d);
        test::chooseFile(d, "altra.zip");
    });
    EXPECT_EQ(tk::askFile(r), folder + "/altra.zip");
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.title, "Salvataggio dati");
    EXPECT_EQ(seen.filters, std::vector<std::string>{"File ZIP (*.zip)"});
    EXPECT_EQ(seen.folder, folder);
    EXPECT_EQ(seen.name, "copia del 19022024.zip");

    // An open dialog takes only existing files; cancelled, it gives nothing.
    r.save = false;
    drive.onFile([&](QFileDialog& d) {
        seen = test::fileDialogState(d);
        test::cancelFile(d);
    });
    EXPECT_EQ(tk::askFile(r), std::nullopt);
    EXPECT_FALSE(seen.save);
}

// DATA packages behind an image password: switching it on and off, the check while opening, and
// a library opened without its password staying untouched.
#include "test_package_support.h"

#include "library/gbk.h"
#include "library/pngobject.h"
#include "library/tempfiles.h"

#include <QImage>

#include <functional>

namespace velka::test {
namespace {

// A saved library holding one entry of each sort: offsets only, bitmap, PNG.
class PackagePassword : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        auto Library = NewPackage(Name);
        QImage Image(2, 3, QImage::Format_ARGB32);
        Image.fill(0xFF20A040);
        TPNGObject Png(Image);
        Library->BeforeSave();
        Library->AddImage(nullptr, 5, 6, 0);
        Library->AddImage(Bitmap.get(), -1, -2, 0);
        Library->AddImage(&Png, 3, 4, 2);
        Library->Save();
        PlainPositions = Library->IndexList;
    }

    // The three images decode as stored and keep their offsets.
    void ExpectContent(TWMPackageImages& Library)
    {
        ASSERT_EQ(Library.ImageCount, 3);
        std::vector<int32_t> Info;
        for (int32_t I = 0; I < 3; ++I) {
            int32_t W = 0, H = 0, X = 0, Y = 0;
            ASSERT_TRUE(Library.GetImageInfo(I, W, H, X, Y));
            Info.insert(Info.end(), {W, H, X, Y});
        }
        EXPECT_EQ(Info, std::vector<int32_t>({0, 0, 5, 6, 4, 2, -1, -2, 2, 3, 3, 4}));
        TDIB Expected = *Bitmap;
        Expected.FlipVertical();
        ASSERT_NE(Library.GetDIB(1), nullptr);
        EXPECT_EQ(PixelsOf(*Library.GetDIB(1)), PixelsOf(Expected));
        EXPECT_EQ(Library.GetImageKind(2), 2);
        ASSERT_NE(Library.GetGraphic(2), nullptr);
        EXPECT_EQ(Library.GetGraphic(2)->ToImage().pixel(1, 1), 0xFF20A040u);
    }

    QString Name = Temp.File(QStringLiteral("lib.data"));
    std::unique_ptr<TDIB> Bitmap = PatternBitmap(4, 2, 16, 3);
    std::vector<int32_t> PlainPositions;
};

TEST_F(PackagePassword, EmptyPasswordOnAnUnprotectedLibraryChangesNothing)
{
    const Bytes Saved = ReadFileBytes(Name);
    OpenPackage(Name)->SetPassword(QString());
    EXPECT_EQ(ReadFileBytes(Name), Saved);  // not even a new IV: nothing was saved
}

TEST_F(PackagePassword, SwitchingProtectionOnAndOffMovesEveryEntryByEightBytesPerEarlierEntry)
{
    const Bytes Plain = ReadFileBytes(Name);
    auto Library = OpenPackage(Name);
    Library->SetPassword(QStringLiteral("secret"));
    const Bytes Protected = ReadFileBytes(Name);
    EXPECT_EQ(HeaderOf(Protected).EntryVersion(), 1);
    EXPECT_EQ(HeaderOf(Protected).Password(), "secret");
    EXPECT_EQ(Protected.size(), Plain.size() + 3 * 8);
    for (size_t I = 0; I < 3; ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(Library->IndexList[I], PlainPositions[I] + int32_t(8 * I));
        EXPECT_EQ(EntryAt(Protected, size_t(Library->IndexList[I]), true).Plain,
                  EntryAt(Plain, size_t(PlainPositions[I]), false).Plain);
    }
    ExpectContent(*Library);

    int Prompts = 0;
    auto Reopened = OpenPackage(Name, QStringLiteral("secret"), &Prompts);
    EXPECT_EQ(Prompts, 1);
    EXPECT_TRUE(Reopened->PasswordOK);
    ExpectContent(*Reopened);

    Reopened->SetPassword(QString());
    EXPECT_EQ(Reopened->IndexList, PlainPositions);
    const Bytes Again = ReadFileBytes(Name);
    EXPECT_EQ(HeaderOf(Again).EntryVersion(), 0);
    EXPECT_EQ(HeaderOf(Again).Password(), "");
    EXPECT_EQ(Slice(Again, 80, Again.size() - 80), Slice(Plain, 80, Plain.size() - 80));
    Prompts = 0;
    ExpectContent(*OpenPackage(Name, QStringLiteral("x"), &Prompts));
    EXPECT_EQ(Prompts, 0);
}

TEST_F(PackagePassword, AFailedSwitchKeepsTheOldProtection)
{
    const Bytes Saved = ReadFileBytes(Name);
    auto Library = OpenPackage(Name);
    TReplacementFile::SetFailureHookForTesting([](const char* Stage) {
        if (std::string(Stage) == "rename")
            throw EStreamError("injected");
    });
    EXPECT_THROW(Library->SetPassword(QStringLiteral("secret")), EStreamError);
    TReplacementFile::SetFailureHookForTesting({});
    EXPECT_EQ(ReadFileBytes(Name), Saved);
    EXPECT_EQ(PasswordBytes(Library->Header), "");
    EXPECT_FALSE(Library->Modified);
    EXPECT_EQ(Library->IndexList, PlainPositions);

    Library->BeforeSave();
    Library->AddImage(nullptr, 1, 1, 0);
    Library->Save();  // an ordinary save afterwards stays plain
    EXPECT_EQ(HeaderOf(ReadFileBytes(Name)).EntryVersion(), 0);
    Library->SetPassword(QStringLiteral("secret"));
    EXPECT_EQ(HeaderOf(ReadFileBytes(Name)).EntryVersion(), 1);
}

TEST_F(PackagePassword, ChangingOnePasswordForAnotherRewritesOnlyTheHeader)
{
    auto Library = OpenPackage(Name);
    Library->SetPassword(QStringLiteral("first"));
    const Bytes First = ReadFileBytes(Name);
    Library->SetPassword(QStringLiteral("second"));
    const Bytes Second = ReadFileBytes(Name);
    EXPECT_EQ(Slice(Second, 80, Second.size() - 80), Slice(First, 80, First.size() - 80));
    EXPECT_EQ(HeaderOf(Second).Password(), "second");
    EXPECT_FALSE(OpenPackage(Name, QStringLiteral("first"))->PasswordOK);
    ExpectContent(*OpenPackage(Name, QStringLiteral("second")));
}

TEST_F(PackagePassword, OnlyTheStoredPasswordOpensTheLibrary)
{
    OpenPackage(Name)->SetPassword(QStringLiteral("Secret"));
    const Bytes Saved = ReadFileBytes(Name);
    struct Case {
        const char* What;
        std::optional<QString> Answer;
        bool Opens;
    };
    const Case Cases[] = {
        {"the stored password", QStringLiteral("Secret"), true},
        {"other case", QStringLiteral("secret"), false},
        {"a longer text", QStringLiteral("Secret "), false},
        {"cancelled", QString(), false},
        {"no handler", std::nullopt, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        int Prompts = 0;
        auto Library = OpenPackage(Name, C.Answer, &Prompts);
        EXPECT_EQ(Prompts, C.Answer ? 1 : 0);
        EXPECT_EQ(Library->PasswordOK, C.Opens);
        EXPECT_EQ(Library->Editable, C.Opens);
        if (C.Opens) {
            ExpectContent(*Library);
        } else {
            EXPECT_EQ(Library->ImageCount, 0);
            EXPECT_TRUE(Library->IndexList.empty());
        }
    }
    EXPECT_EQ(ReadFileBytes(Name), Saved);
}

TEST_F(PackagePassword, ALibraryOpenedWithoutItsPasswordRefusesEveryEdit)
{
    OpenPackage(Name)->SetPassword(QStringLiteral("pw"));
    const Bytes Saved = ReadFileBytes(Name);
    auto Library = OpenPackage(Name, QStringLiteral("wrong"));
    TWMPackageImages& L = *Library;
    TDIB& B = *Bitmap;
    const std::vector<std::pair<const char*, std::function<void()>>> Edits = {
        {"AddImage", [&] { L.AddImage(&B, 0, 0, 0); }},
        {"AddImage empty", [&] { L.AddImage(nullptr, 0, 0, 0); }},
        {"AddPreparedImage", [&] { L.AddPreparedImage(L.PrepareImage(&B, 0, 0, 0)); }},
        {"InsertImage", [&] { L.InsertImage(0, &B, 0, 0, 0); }},
        {"ReplaceImage", [&] { L.ReplaceImage(0, &B, 0, 0, 0); }},
        {"DeleteImages", [&] { L.DeleteImages(0, 0); }},
        {"BlankImages", [&] { L.BlankImages(0, 0); }},
        {"SetImageOffset", [&] { L.SetImageOffset(0, 1, 1); }},
        {"SetImageFlag", [&] { L.SetImageFlag(0, 1); }},
        {"SetPassword", [&] { L.SetPassword(QStringLiteral("new")); }},
        {"SetPassword off", [&] { L.SetPassword(QString()); }},
        {"Save", [&] { L.Save(); }},
    };
    for (const auto& [What, Edit] : Edits)
        EXPECT_THROW(Edit(), EReadOnlyError) << What;
    EXPECT_FALSE(L.Modified);
    Library.reset();
    EXPECT_EQ(ReadFileBytes(Name), Saved);
    ExpectContent(*OpenPackage(Name, QStringLiteral("pw")));
}

TEST_F(PackagePassword, SavingDoesNotAskAgain)
{
    OpenPackage(Name)->SetPassword(QStringLiteral("pw"));
    int Prompts = 0;
    auto Library = OpenPackage(Name, QStringLiteral("pw"), &Prompts);
    Library->BeforeSave();
    Library->AddImage(nullptr, 1, 1, 0);
    Library->Save();
    Library->DeleteImages(3, 3);
    Library->Save();
    EXPECT_EQ(Prompts, 1);
    EXPECT_TRUE(Library->PasswordOK);
    ExpectContent(*Library);
}

TEST_F(PackagePassword, ProtectionSurvivesCompactingEditsAfterReopening)
{
    OpenPackage(Name)->SetPassword(QStringLiteral("pw"));
    const std::vector<std::pair<const char*, std::function<void(TWMPackageImages&)>>> Edits = {
        {"delete", [](TWMPackageImages& L) { L.DeleteImages(3, 3); }},
        {"blank", [](TWMPackageImages& L) { L.BlankImages(3, 3); }},
        {"replace", [](TWMPackageImages& L) { L.ReplaceImage(3, nullptr, 0, 0, 0); }},
    };
    for (const auto& [What, Edit] : Edits) {
        SCOPED_TRACE(What);
        {
            auto Library = OpenPackage(Name, QStringLiteral("pw"));
            Library->BeforeSave();
            Library->AddImage(nullptr, 9, 9, 0);
            Library->Save();
        }
        auto Library = OpenPackage(Name, QStringLiteral("pw"));
        Library->BeforeSave();
        Edit(*Library);
        Library->Save();
        const Bytes File = ReadFileBytes(Name);
        EXPECT_EQ(HeaderOf(File).EntryVersion(), 1);
        EXPECT_EQ(HeaderOf(File).Password(), "pw");
        EXPECT_EQ(EntryAt(File, 80, true).OffsetX(), 5);  // still enciphered
        EXPECT_FALSE(OpenPackage(Name, QString())->PasswordOK);
        auto Reopened = OpenPackage(Name, QStringLiteral("pw"));
        EXPECT_TRUE(Reopened->PasswordOK);
        if (Reopened->DeleteImages(3, Reopened->ImageCount - 1))
            Reopened->Save();
        ExpectContent(*Reopened);
    }
}

TEST_F(PackagePassword, PasswordsKeepTheirFirstSixteenBytes)
{
    struct Case {
        QString Given;
        QString Kept;
    };
    const Case Cases[] = {
        {QStringLiteral("abcdefghijklmnopqrst"), QStringLiteral("abcdefghijklmnop")},
        {QStringLiteral("密码密码密码密码密码"), QStringLiteral("密码密码密码密码")},
        // A double-byte character that would only half fit is left out whole.
        {QStringLiteral("a密码密码密码密码"), QStringLiteral("a密码密码密码密")},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Given.toStdString());
        TWMPackageImages::CreateEmptyFile(Name);
        OpenPackage(Name)->SetPassword(C.Given);
        EXPECT_EQ(HeaderOf(ReadFileBytes(Name)).Password(), ToGBK(C.Kept));
        EXPECT_LE(ToGBK(C.Kept).size(), 16u);
        EXPECT_FALSE(OpenPackage(Name, C.Given)->PasswordOK);
        EXPECT_TRUE(OpenPackage(Name, C.Kept)->PasswordOK);
    }
}

}  // namespace
}  // namespace velka::test

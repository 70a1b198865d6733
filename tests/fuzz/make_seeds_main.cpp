// make-fuzz-seeds FOLDER: the starting corpus of every fuzz target, one folder per target, made
// from the tests' own fixtures: short tagged MP3, WAVE and WMA files made with the ffmpeg tool
// and TagLib, settings files as the program writes them, and the names file managers hand in.

#include "fuzz/fuzz_input.h"
#include "support/audio_fixtures.h"
#include "support/file_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/wavfile.h>

#include <cstdio>
#include <string>

namespace {

QByteArray bytesOf(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string stringOf(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A tiny PNG's first bytes: enough for a picture frame.
const QByteArray kPicture("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);

bool tagWithId3v2(const QString& path, bool wave) {
    const QByteArray name = QFile::encodeName(path);
    auto fill = [](TagLib::ID3v2::Tag* tag) {
        tag->setTitle(TagLib::String("Tïtle", TagLib::String::UTF8));
        tag->setArtist("Artist");
        tag->setAlbum("Album");
        tag->setYear(2024);
        tag->setTrack(3);
        tag->setGenre("(17)Rock");
        tag->setComment("Comment");
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setMimeType("image/png");
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setPicture(
            TagLib::ByteVector(kPicture.constData(), static_cast<unsigned>(kPicture.size())));
        tag->addFrame(picture);
    };
    if (wave) {
        TagLib::RIFF::WAV::File file(name.constData());
        fill(file.ID3v2Tag());
        file.InfoTag()->setTitle("Info title");
        return file.save();
    }
    TagLib::MPEG::File file(name.constData());
    fill(file.ID3v2Tag(true));
    return file.save(TagLib::MPEG::File::ID3v2);
}

class Seeds {
public:
    explicit Seeds(const QDir& root) : root_(root) {}

    bool add(const char* target, const std::string& input) {
        const QDir folder(root_.filePath(QLatin1String(target)));
        if (!folder.mkpath(QStringLiteral("."))) {
            return false;
        }
        const QString name = QStringLiteral("start-%1").arg(++count_, 3, 10, QLatin1Char('0'));
        return testsupport::WriteAll(folder.filePath(name), bytesOf(input));
    }

private:
    QDir root_;
    int count_ = 0;
};

bool makeSeeds(Seeds& seeds, const QDir& work) {
    bool ok = true;
    const auto made = [&](bool step) { ok = ok && step; };
    const auto file = [&](const char* name) { return work.filePath(QLatin1String(name)); };
    const QStringList wma{QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"),
                          QStringLiteral("32k"),  QStringLiteral("-f"),    QStringLiteral("asf")};
    const QStringList mp3{QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                          QStringLiteral("-b:a"), QStringLiteral("32k")};

    made(testsupport::MakeTone(file("mono.wma"), 0.2, 8000, 1, wma));
    made(testsupport::MakeTone(file("stereo.wma"), 0.2, 22050, 2, wma));
    made(testsupport::MakeTone(file("plain.mp3"), 0.2, 8000, 1, mp3));
    made(testsupport::MakeTone(file("v1.mp3"), 0.2, 8000, 1, mp3));
    made(testsupport::AppendId3v1(file("v1.mp3"),
                                  {"Title", "Artist", "Album", "1999", "Comment \xe9", 17, 5}));
    made(testsupport::MakeTone(file("v2.mp3"), 0.2, 8000, 1, mp3));
    made(tagWithId3v2(file("v2.mp3"), false));
    made(testsupport::MakeWav(file("tagged.wav"), 0.05, 8000, 1));
    made(tagWithId3v2(file("tagged.wav"), true));
    if (!ok) {
        return false;
    }
    const auto bytes = [&](const char* name) { return stringOf(testsupport::ReadAll(file(name))); };

    for (const char* name : {"mono.wma", "stereo.wma"}) {
        made(seeds.add("wma_decode_fuzz", bytes(name)));
        for (const char choice : {'\0', '\2', '\3', '\4'}) {
            made(seeds.add("asf_attribute_fuzz",
                           std::string(1, choice) + fuzz::joinFields({"Sonawell"}, bytes(name))));
        }
    }
    // One byte picks the extension; every file under each.
    for (const char* name : {"plain.mp3", "v1.mp3", "v2.mp3", "tagged.wav", "mono.wma"}) {
        for (char choice = 0; choice < 4; ++choice) {
            made(seeds.add("source_tag_fuzz", std::string(1, choice) + bytes(name)));
        }
    }

    const std::string settings =
        "[General]\r\nProfile=2\r\nCPUPriority=1\r\nDeleteSource=0\r\n\r\n"
        "[Quick Convert]\r\nSameTargetDir=1\r\nTargetDir=\"/home/user/My Music\"\r\n";
    made(seeds.add("settings_fuzz",
                   fuzz::joinFields({"General", "DeleteSource", "1", "Profile"}, settings)));
    made(seeds.add("settings_fuzz",
                   fuzz::joinFields({"quick convert", "TargetDir", "/media/ü/Ton", "sametargetdir"},
                                    "\xEF\xBB\xBF" + settings)));
    made(seeds.add("settings_fuzz",
                   fuzz::joinFields({"Window", "Width", "  640 ", "Height"},
                                    "; comment\n[window]\nheight=480\n[Window]\nWidth=1")));
    made(seeds.add("settings_fuzz", fuzz::joinFields({"New", "Key", "'quoted'", "Other"}, "")));

    for (const char* name :
         {"/home/user/Music/a b.mp3", "/tmp/100% \"pure\" $HOME `x` \\ y.wma", "/m\xE9t\xE0l.mp2",
          "file:///home/user/Music/a%20b.mp3", "FILE://localhost/tmp/%25%2F%C3%A9.wav",
          "file:/x?y#z.mp3", "/usr/lib/sonawell/quillmark-invoke"}) {
        for (const char choice : {'\0', '\1', '\2'}) {
            made(seeds.add("quoting_fuzz", std::string(1, choice) + name));
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Usage: make-fuzz-seeds FOLDER\n", stderr);
        return 2;
    }
    QDir root(QString::fromLocal8Bit(argv[1]));
    if (root.exists() && !root.removeRecursively()) {
        return 1;
    }
    QTemporaryDir work;
    Seeds seeds(root);
    if (!work.isValid() || !makeSeeds(seeds, QDir(work.path()))) {
        std::fputs("make-fuzz-seeds: could not make the seeds\n", stderr);
        return 1;
    }
    return 0;
}

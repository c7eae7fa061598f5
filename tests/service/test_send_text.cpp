// "Send text...": new texts in a working instrument that keeps its configuration and its jobs; the
// checks made before anything is written; a send broken off anywhere, completed by the next one.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>

#include "backup/memory_files.h"
#include "provisioning/configuration_part.h"
#include "provisioning/display_data.h"
#include "resources/display_charset.h"
#include "service/command_log.h"
#include "service/settings/nvram_writes.h"
#include "service/texts/send_text.h"
#include "service/texts/send_text_checks.h"
#include "sim/nvram_image.h"
#include "support/formatted_instrument.h"
#include "support/image_folder.h"

using namespace testing_support;
using platform::MessageResult;
using service::Outcome;
using O = service::Outcome;
namespace fs = std::filesystem;

namespace {

constexpr const char* kSerial = "COM: 1";
constexpr const char* kEthernet = "IP: 127.0.0.1:1001";

std::uint32_t wordAt(const std::vector<std::uint8_t>& nv, std::uint32_t a, int bytes = 2) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v * 256 + nv[a + static_cast<std::uint32_t>(i)];
    return v;
}

std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& nv, std::uint32_t a,
                                std::uint32_t n) {
    return {nv.begin() + a, nv.begin() + a + n};
}

// Deformation coefficients, force filter, start force, options, two jobs.
const std::pair<std::size_t, std::uint8_t> kTechniciansBytes[] = {
    {269, 17}, {270, 42}, {243, 9}, {284, 60}, {100, 0x84}, {101, 0x4A}, {201, 2}, {105, 2}};

// An instrument formatted with English texts and then set up by a technician: calibration,
// options, inputs and outputs, names, two jobs, a history above the job memory.
struct Bench {
    explicit Bench(const std::string& profile = "p36e51", const std::string& tag = "sendtext")
        : rig(profile), folder(tag), host(rig, folder.path()) {
        folder.shipped();
        provisioning::CProfilo p;
        p.Inizializza();
        p.Lingua1 = provisioning::LInglese;
        p.Lingua2 = provisioning::LItaliano;
        p.NumeroLavoriStory = 3;
        image = formatWithImage(rig, folder.path(), p);
        EXPECT_TRUE(image.ok) << image.avviso << image.erroreFile;
        setUp();
        rig.instrument.setHistoryLimit(0, 1u << 20);
    }

    void setUp() {
        auto& nv = rig.instrument.nvram();
        for (const auto& [a, v] : kTechniciansBytes) nv[a] = v;
        sim::putWord(nv, 72, 98765, 4);  // hit counter
        for (std::uint32_t i = 0; i < 16; ++i) {
            nv[448 + i] = static_cast<std::uint8_t>(i + 1);
            nv[464 + i] = static_cast<std::uint8_t>(20 + i);
        }
        sim::putString(nv, 106, "Line 4 press");
        sim::putString(nv, 398, "Brake A");
        EXPECT_TRUE(rig.openSerial());
        jobBytes = static_cast<std::uint32_t>(2 * rig.control.DimensioneLavori());
        jobStart = static_cast<std::uint32_t>(rig.control.IndirizzoLavori());
        jobEnd = static_cast<std::uint32_t>(rig.control.identity().FineMemoriaLavori);
        rig.control.ChiudiPortaComunicazione();
        for (std::uint32_t i = 0; i < jobBytes; ++i)
            nv[jobStart + i] = static_cast<std::uint8_t>(i * 7 + 3);
        for (std::uint32_t a = jobEnd; a < jobEnd + 4000; ++a)
            nv[a] = static_cast<std::uint8_t>(a * 13);
        rig.instrument.clearLog();
        before = nv;
    }

    Outcome send(const std::string& description, std::deque<MessageResult> answers) {
        host.selections = {description};
        host.boxes.boxes.clear();
        host.boxes.answers = std::move(answers);
        if (!languages) return service::runCommand(host, &service::SendTextCommand);
        return service::runCommand(
            host, [this](service::CommandHost& h) { return service::sendText(h, languages); });
    }

    std::string file(const char* name) const { return folder.file(name); }

    InstrumentRig rig;
    ImageFolder folder;
    TestHost host;
    provisioning::Immagine image;
    std::optional<service::SendTextLanguages> languages;  // given, instead of the profile form
    std::vector<std::uint8_t> before;
    std::uint32_t jobStart = 0, jobBytes = 0, jobEnd = 0;
};

// The default text slots the English image filled and the technician did not rename, with the
// Italian text each must hold afterwards.
const std::map<std::uint32_t, const char*> kItalianDefaults = {
    {314, "Ingr. suppl."}, {328, "Cassa verde"}, {342, "Uscita scarto"}, {356, "Pezzo buono"},
    {370, "Allarme"},      {412, "SetPoint 2"},  {93, "    kN"},
};

// What a completed send leaves: the configuration part as the technician left it except the
// default texts, now Italian; every job at the new job record 1; the memory above the job memory
// untouched; a valid signature; the Italian texts behind the first text table.
std::vector<std::uint8_t> italianSlot(std::uint32_t address) {
    return provisioning::slotContato(kItalianDefaults.at(address), address == 93 ? 6 : 13);
}

bool inDefaultSlot(int a) {
    return std::any_of(kItalianDefaults.begin(), kItalianDefaults.end(), [a](const auto& d) {
        return a >= static_cast<int>(d.first) &&
               a < static_cast<int>(d.first + italianSlot(d.first).size());
    });
}

void expectSentInItalian(Bench& b) {
    const auto& nv = b.rig.instrument.nvram();
    auto configuration = b.before;
    for (const auto& [address, text] : kItalianDefaults)
        std::ranges::copy(italianSlot(address), configuration.begin() + address);
    EXPECT_EQ(slice(nv, 46, 722), slice(configuration, 46, 722));
    EXPECT_EQ(wordAt(nv, 16), 768u);
    const std::uint32_t jobs = wordAt(nv, 44);
    EXPECT_EQ(slice(nv, jobs, b.jobBytes), slice(b.before, b.jobStart, b.jobBytes));
    EXPECT_EQ(wordAt(nv, 18, 3), b.jobEnd);
    EXPECT_EQ(slice(nv, b.jobEnd, 4000), slice(b.before, b.jobEnd, 4000));
    EXPECT_EQ(slice(nv, 0, 12), slice(b.before, 0, 12));  // the signature, whole again

    // Read back the way the tool reads an instrument.
    auto& c = b.rig.control;
    ASSERT_TRUE(b.rig.openSerial());
    EXPECT_EQ(c.IndirizzoLavori(), static_cast<std::int32_t>(jobs));
    EXPECT_EQ(c.LeggiTotaleLavori(), std::optional<std::int32_t>(2));
    const auto italian = *provisioning::leggiTestiLingua(b.folder.path(), provisioning::LItaliano);
    const provisioning::VersioneTesti v{c.Protocollo(), c.Estensioni(), c.PressaElettrica()};
    const std::uint32_t table = wordAt(nv, 28);
    for (int slot = 1; slot <= 40; ++slot) {
        const std::uint32_t text = wordAt(nv, table + 2u * static_cast<std::uint32_t>(slot - 1));
        const long entry = provisioning::voceConSegno(provisioning::voceDelloSlot(slot, v));
        EXPECT_EQ(std::string(nv.begin() + text + 1, nv.begin() + text + 1 + nv[text]),
                  resources::toInstrument(italian.at(entry)))
            << "text slot " << slot;
    }
    c.ChiudiPortaComunicazione();
}

TEST(SendText, KeepsTheConfigurationAndTheJobsAndChangesTheTexts) {
    Bench b;
    ASSERT_EQ(b.send(kSerial, {MessageResult::Yes}), Outcome::Done);
    EXPECT_EQ(b.host.boxes.texts(), (Texts{service::kSendTextQuestion, service::kSendTextDone}));
    EXPECT_EQ(b.host.boxes.boxes.back().icon, platform::MessageIcon::Information);
    expectSentInItalian(b);
    // The copy of the jobs stays for a later recovery; the image is gone.
    EXPECT_TRUE(fs::exists(b.file(backup::kJobCopyFile)));
    EXPECT_FALSE(fs::exists(b.file(provisioning::kFileImmagine)));
    // The signature was made invalid before the image went out and written after the jobs.
    const auto w = byteWrites(b.rig);
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(ByteWrites(w.begin(), w.begin() + 4),
              (ByteWrites{{6, 0}, {11, 0}, {518, 0}, {523, 0}}));
    EXPECT_EQ(w.back(), std::make_pair(11, static_cast<int>(b.before[11])));
    // No byte of the configuration part but the default texts was written.
    for (const auto& [address, value] : w)
        EXPECT_TRUE(address < 46 || address >= 768 || (address >= 212 && address <= 215) ||
                    address == 518 || address == 523 || inDefaultSlot(address))
            << address;
}

}  // namespace

namespace {

// The menu path's boxes on the checks that stop a send before anything is written.
struct Refusal {
    const char* name;
    std::function<void(Bench&)> prepare;
    std::deque<MessageResult> answers;
    Outcome outcome;
    // "" stands for the box of the refused job copy, "room" for the one of jobs that do not fit.
    Texts boxes;
};

// The main language whose image puts job record 1 highest (it must be higher than English's).
service::SendTextLanguages longestLanguage(Bench& b) {
    EXPECT_TRUE(b.rig.openSerial());
    const auto parameters = provisioning::parametriStrumento(b.rig.control);
    b.rig.control.ChiudiPortaComunicazione();
    b.rig.instrument.clearLog();
    service::SendTextLanguages longest{provisioning::LInglese, provisioning::LItaliano};
    std::int32_t highest = b.image.indirizzi.lavoro1;
    for (std::int16_t l = 0; l < 6; ++l) {
        provisioning::CProfilo p;
        p.Lingua1 = l;
        p.Lingua2 = provisioning::LItaliano;
        platform::NoProgress none;
        const auto im = provisioning::costruisciImmagine(b.folder.path(), parameters, p, none);
        if (im.ok && im.indirizzi.lavoro1 > highest) {
            highest = im.indirizzi.lavoro1;
            longest.lingua1 = l;
        }
    }
    EXPECT_GT(highest, b.image.indirizzi.lavoro1);
    return longest;
}

// The header made invalid and a job copy of n bytes, as a send broken off would leave them.
void brokenOffWithACopyOf(Bench& b, std::uint32_t n) {
    b.rig.instrument.nvram()[6] = 0;
    b.rig.instrument.nvram()[11] = 0;
    Texts lines{" " + std::to_string(n)};
    for (std::uint32_t i = 0; i < n; ++i) lines.push_back(" " + std::to_string(i % 256));
    b.folder.write(backup::kJobCopyFile, lines);
}

TEST(SendText, ChecksThatStopBeforeAnythingIsWritten) {
    const auto yes = MessageResult::Yes, no = MessageResult::No, cancel = MessageResult::Cancel;
    const std::string question = service::kSendTextQuestion, restore = service::kSendTextRestore;
    const auto asked = [](Bench&) {};
    const auto same = [](Bench& b) { brokenOffWithACopyOf(b, b.jobBytes); };
    const auto longer = [](Bench& b) { brokenOffWithACopyOf(b, b.jobBytes + 2); };
    const auto fewer = [](Bench& b) { brokenOffWithACopyOf(b, b.jobBytes / 2); };
    const auto unlocked = [](Bench& b) { b.rig.instrument.setPressLockRefused(true); };
    // The job memory ends just where the jobs end now, and the new main language has the
    // longest texts.
    const auto noRoom = [](Bench& b) {
        sim::putWord(b.rig.instrument.nvram(), 18, b.jobStart + b.jobBytes, 3);
        b.languages = longestLanguage(b);
    };
    const auto intoResources = [](Bench& b) {
        sim::putWord(b.rig.instrument.nvram(), 16, 1000, 2);
    };
    const std::string into =
        "The configuration of the KRN ends at 1000, the new texts begin at 768: they cannot be "
        "sent without changing the configuration.\nFormat the instrument instead.\nNothing was "
        "changed.";
    const std::string lock = "Is not possible the KRN's blocking.";
    const std::vector<Refusal> cases = {
        {"No to the question", asked, {no}, O::Cancelled, {question}},
        {"restore refused", same, {cancel}, O::Cancelled, {restore}},
        {"copy of another record size", longer, {yes}, O::FileError, {restore, ""}},
        {"copy of another job count", fewer, {yes}, O::FileError, {restore, ""}},
        {"jobs the new texts leave no room for", noRoom, {yes}, O::Refused, {question, "room"}},
        {"configuration into the resources", intoResources, {yes}, O::Refused, {question, into}},
        {"press that will not lock", unlocked, {}, O::Refused, {lock}},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        c.prepare(b);
        const auto nvram = b.rig.instrument.nvram();
        EXPECT_EQ(b.send(kSerial, c.answers), c.outcome);
        // Nothing written: the only writes are none, and the NVRAM is as it was.
        EXPECT_TRUE(byteWrites(b.rig).empty());
        EXPECT_EQ(b.rig.instrument.nvram(), nvram);
        EXPECT_FALSE(fs::exists(b.file(provisioning::kFileImmagine)));
        EXPECT_TRUE(endedCleanly(b.rig));
        const auto texts = b.host.boxes.texts();
        ASSERT_EQ(texts.size(), c.boxes.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::string& box = c.boxes[i];
            const bool start = box.empty() || box == "room";  // the box begins so
            const std::string want =
                box.empty()
                    ? "The file " + b.file(backup::kJobCopyFile) + " is not valid at line 1: "
                : start ? "The jobs of the KRN (" + std::to_string(b.jobBytes) +
                              " bytes) do not fit the job memory the new texts leave ("
                        : box;
            EXPECT_EQ(start ? texts[i].substr(0, want.size()) : texts[i], want);
        }
    }
}

TEST(SendText, OlderInstrumentsChooseTheLanguageInTheLanguageChoice) {
    // Protocol 9 below extension 11: one language, chosen in the language choice.
    Bench b("p9e9", "sendtext9");
    b.host.languages = {provisioning::LFrancese};
    EXPECT_EQ(b.send(kSerial, {MessageResult::Yes}), Outcome::Done);
    EXPECT_EQ(b.host.languageTitles, Texts{"Send text... (available)"});
    const auto& nv = b.rig.instrument.nvram();
    EXPECT_EQ(slice(nv, wordAt(nv, 44), b.jobBytes), slice(b.before, b.jobStart, b.jobBytes));
    EXPECT_EQ(slice(nv, 314, 14), provisioning::slotContato("Entr\xE9"
                                                            "e suppl.",
                                                            13));
    EXPECT_EQ(b.host.boxes.texts().back(), service::kSendTextDone);
}

TEST(SendText, AnImageThatCannotBeBuiltChangesNothing) {
    // Protocol 41 with extension 1072 has no image.
    InstrumentRig rig("p41e1072");
    ImageFolder folder("sendtext41");
    folder.shipped();
    TestHost host(rig, folder.path());
    const auto nvram = rig.instrument.nvram();
    host.selections = {kSerial};
    host.boxes.answers = {MessageResult::Yes};
    EXPECT_EQ(service::runCommand(host, &service::SendTextCommand), Outcome::Refused);
    EXPECT_EQ(host.boxes.texts(), (Texts{service::kSendTextQuestion, service::kSendTextBuild}));
    EXPECT_EQ(rig.instrument.nvram(), nvram);
    EXPECT_TRUE(fs::exists(folder.file(backup::kJobCopyFile)));
}

// A send broken off at one request frame: the instrument falls silent there (or restarts), the
// next send completes the work.

// The first request frame of each stage of a clean send, from its requests.
std::vector<std::pair<std::string, int>> stages(const InstrumentRig& rig, std::uint32_t oldJobs) {
    std::vector<std::pair<std::string, int>> out;
    const auto& requests = rig.instrument.requests();
    const auto at = [&](std::size_t i) {
        const auto& r = requests[i];
        return r.size() >= 6 ? static_cast<int>(r[2] | r[3] << 8 | r[4] << 16) : -1;
    };
    std::string stage = "open";
    out.emplace_back(stage, 0);
    std::uint32_t newJobs = 0;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const int code = requests[i].size() > 1 ? requests[i][1] : -1;
        std::string next = stage;
        if (stage == "open" && code == 15 && at(i) >= static_cast<int>(oldJobs))
            next = "job save";
        else if (stage == "job save" && code == 14 && at(i) == 6)
            next = "invalidation";
        else if (stage == "invalidation" && code == 40)
            next = "image blocks";
        else if (stage == "image blocks" && code == 14)
            next = "header and default texts";
        else if (stage == "header and default texts" && code == 14 && at(i) == 44)
            newJobs = requests[i][5];
        else if (stage == "header and default texts" && code == 14 && at(i) == 45)
            newJobs |= static_cast<std::uint32_t>(requests[i][5]) << 8;
        if (stage == "header and default texts" && newJobs > 768 && code == 14 &&
            at(i) >= static_cast<int>(newJobs))
            next = "job write-back";
        else if (stage == "job write-back" && code == 14 && at(i) == 0)
            next = "signature";
        else if (stage == "signature" && code != 14)
            next = "restart and reread";
        if (next != stage) out.emplace_back(stage = next, static_cast<int>(i));
    }
    out.emplace_back("end", static_cast<int>(requests.size()));
    return out;
}

// Three frames of every stage: its first, one in the middle and its last.
std::vector<int> breaks(const std::vector<std::pair<std::string, int>>& s) {
    std::vector<int> out;
    for (std::size_t k = 0; k + 1 < s.size(); ++k) {
        const int first = s[k].second, last = s[k + 1].second - 1;
        for (int f : {first, (first + last) / 2, last})
            if (out.empty() || out.back() != f) out.push_back(f);
    }
    return out;
}

void interruptedAndCompleted(const char* description) {
    std::vector<std::pair<std::string, int>> s;
    {
        Bench clean("p36e51", "sendtext_clean");
        ASSERT_EQ(clean.send(description, {MessageResult::Yes}), Outcome::Done);
        s = stages(clean.rig, clean.jobStart);
        ASSERT_EQ(s.size(), 9u);
    }
    const auto plan = breaks(s);
    EXPECT_GE(plan.size(), 20u);
    int fault = 0;
    for (const int frame : plan) {
        SCOPED_TRACE(std::string(description) + ", frame " + std::to_string(frame));
        Bench b("p36e51", "sendtext_break");
        const auto kind = ++fault % 3 == 0 ? sim::Fault::Kind::Restart : sim::Fault::Kind::Silence;
        b.rig.instrument.addFault(sim::Fault(kind, 0, {}, frame));
        b.send(description, {MessageResult::Yes});
        b.rig.instrument.clearFaults();
        b.rig.instrument.setSilent(false);
        b.rig.clock.advance(std::chrono::seconds(10));
        ASSERT_EQ(b.send(description, {MessageResult::Yes}), Outcome::Done)
            << ::testing::PrintToString(b.host.boxes.texts());
        EXPECT_EQ(b.host.boxes.texts().back(), service::kSendTextDone);
        // After the invalidation's first byte (s[2]) and up to the last byte of the signature
        // (s[7] restarts) the header stays invalid, so the next send recovers with the saved
        // jobs instead of saving half-written ones.
        const bool invalid = frame > s[2].second && frame < s[7].second;
        const std::string first = invalid ? service::kSendTextRestore : service::kSendTextQuestion;
        EXPECT_EQ(kind == sim::Fault::Kind::Restart ? first : b.host.boxes.texts().front(), first);
        expectSentInItalian(b);
    }
}

TEST(SendTextInterrupted, AnySendBrokenOffIsCompletedByTheNextOneOnSerialAndEthernet) {
    for (const char* description : {kSerial, kEthernet}) interruptedAndCompleted(description);
}

}  // namespace

namespace {

// The slots to rewrite for a French image: a default in any language, also one half rewritten
// from English to Italian; never a technician's name, nor a default with anything after it.
TEST(SendTextSlots, DefaultsFollowTheLanguageAndEverythingElseStays) {
    ImageFolder folder("sendtext_slots");
    folder.shipped();
    provisioning::ParametriImmagine v{
        .protocollo = 36, .estensioni = 51, .versione = 2.48f, .memorySize = 512768};
    provisioning::CProfilo french;
    french.Lingua1 = provisioning::LFrancese;
    platform::NoProgress none;
    const auto image = provisioning::costruisciImmagine(folder.path(), v, french, none);
    ASSERT_TRUE(image.ok);
    const auto slot = [](const char* text) { return provisioning::slotContato(text, 13); };
    auto halfway = slot("Extra input"), trailing = slot("Green box"), odd = slot("Reject out");
    std::copy_n(slot("Ingr. suppl.").begin(), 6, halfway.begin());
    trailing[12] = 'x';
    odd[3] = 'Q';
    const std::map<std::int32_t, std::vector<std::uint8_t>> held = {
        {314, halfway}, {328, trailing}, {342, odd}, {356, slot("Line 4")}, {370, slot("Alarme")}};
    // The other slots hold "SetPoint 1", the same in every language.
    const auto reader = [&](std::int32_t a, int) -> std::optional<std::vector<std::uint8_t>> {
        if (a == 93) return provisioning::slotContato("    kN", 6);
        return held.count(a) ? held.at(a) : slot("SetPoint 1");
    };
    EXPECT_EQ(service::defaultTextWrites(folder.path(), 51, image, reader),
              (std::vector<service::SlotWrite>{{314, slot("Entr\xE9"
                                                          "e suppl.")},
                                               {328, slot("Bo\xEEte verte")}}));
}

}  // namespace

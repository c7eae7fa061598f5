// Jobs and phases, checkpoints and bands: the job image against the simulated NVRAM.
#include <gtest/gtest.h>

#include <algorithm>

#include "instrument/job_codec.h"
#include "instrument/open_rig.h"
#include "instrument/progress_recorder.h"
#include "platform/protocol.h"
#include "support/instrument_rig.h"
#include "support/recording_dialogs.h"

using instrument::FaseLavoro;
using instrument::JobImage;
using platform::Bytes;
using testing_support::InstrumentRig;
using testing_support::OpenRig;

namespace {

// A job that uses every kind of field the generation stores: values chosen to be exact in each
// field's scaling.
void fillJob(InstrumentRig& rig) {
    auto& c = rig.control;
    c.jobs().preparaImmagine();
    JobImage& job = c.lavoro();
    job.NomeLavoro = "FLANGE 42";
    job.CodiceLavoro = "C-77";
    job.DataModifiche = {2026, 11, 30, 14, 5, 9, 1};
    job.NumeroMassimoScarti = 12;
    job.ChiediCodice = job.ChiediConfermaFinePezzo = true;
    job.JobID = 4321;
    job.PercentualeScartiMassima = 7;
    job.TempoVitaFase = 3;
    for (std::size_t p = 0; p < job.fasi.size(); ++p) {
        FaseLavoro& f = job.fasi[p];
        const float k = static_cast<float>(p + 1);
        f.FaseAbilitata = p < 8 && p % 2 == 0;  // the header holds eight phase bits
        f.NomeFase = "PH" + std::to_string(p + 1);
        f.ForzaStop = 1000 * k;
        f.ForzaMin = 200 * k;
        f.ForzaMax = 1500 * k;
        f.QuotaStop = 12.5f * k;
        f.QuotaMin = 1.25f;
        f.QuotaMax = 99.99f;
        f.QuotaInizioMin = 0.5f;
        f.QuotaInizioMax = 3.75f;
        f.SetPoint = 321;
        f.StopDelay = 1.5f;
        f.ArrestoImmediato = 0x000005;
        f.ScartoSpeciale = 0x800001;
        f.NumeroRipetizioniFase = 3;
        auto curve = c.curve(static_cast<int>(p + 1));
        curve.CheckPointVerticale(1, 10.5f, 100, 900);
        curve.CheckPointSpeed(2, 1.5f, 2.5f);
        curve.CheckPointMinMax(3, 4.25f, 50, 60);
        curve.CheckPointVariazione(4, 5.5f, 0.12f, 300, 400);
        curve.CheckPointOrizzontale(5, 700, 6.5f, 7.5f);
        curve.CheckPointUscite(6, 8.25f, 9.5f, 10.75f);
        for (float q : {1.0f, 2.0f}) curve.AddPuntoInferiore(q, 50 + 50 * q);
        for (float q : {1.0f, 2.0f, 3.0f}) curve.AddPuntoSuperiore(q, 250 + 50 * q);
    }
}

class EveryProfile : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Jobs, EveryProfile,
                         ::testing::Values("p17e23", "p36e51", "p39e1060", "p41e1072"));

TEST_P(EveryProfile, WrittenJobReadsBackTheSame) {
    OpenRig rig(GetParam());
    fillJob(rig);
    const JobImage written = rig.control.lavoro();
    ASSERT_TRUE(rig.control.ScriviLavoro(3));
    EXPECT_EQ(rig.control.LeggiTotaleLavori(), 3);
    ASSERT_TRUE(rig.control.LeggiLavoro(3));
    const JobImage read = rig.control.lavoro();
    EXPECT_EQ(read.NomeLavoro, "FLANGE 42");
    EXPECT_EQ(read.PosizioneLavoro, 3);
    ASSERT_EQ(read.fasi.size(), written.fasi.size());
    // Every checkpoint type, both band edges.
    const auto stored = [](const FaseLavoro& f) {
        return std::tuple(f.NomeFase, f.FaseAbilitata, f.ForzaStop, f.ForzaMax, f.QuotaStop,
                          f.QuotaMax, f.QuotaInizioMax, f.SetPoint, f.checkPoint,
                          std::vector(f.bordoSuperiore.begin(), f.bordoSuperiore.begin() + 3));
    };
    for (std::size_t p = 0; p < read.fasi.size(); ++p) {
        EXPECT_EQ(stored(read.fasi[p]), stored(written.fasi[p])) << p;
        EXPECT_EQ(std::tuple(read.fasi[p].PuntiBordoInferiore, read.fasi[p].PuntiBordoSuperiore),
                  std::tuple(2, 3));
    }
    // The header fields of the newest generation.
    const FaseLavoro& f = read.fasi[0];
    if (std::string(GetParam()) == "p41e1072") {
        EXPECT_EQ(
            std::tuple(read.CodiceLavoro, read.DataModifiche.year, read.DataModifiche.minute,
                       read.NumeroMassimoScarti, read.ChiediCodice, read.JobID,
                       read.PercentualeScartiMassima, read.TempoVitaFase,
                       read.ChiediConfermaFinePezzo, f.StopDelay, f.ScartoSpeciale,
                       f.NumeroRipetizioniFase, instrument::causaScarto(f, 24).ScartoSpeciale),
            std::tuple("C-77", 2026, 5, 12, true, 4321, 7, 3, true, 1.5f, 0x800001u, 3, true));
    }
    // What was read writes back to exactly the same image.
    ASSERT_TRUE(rig.control.ScriviLavoro(3));
    ASSERT_TRUE(rig.control.LeggiLavoro(3));
    EXPECT_TRUE(rig.control.lavoro() == read);
}

TEST(Jobs, NewJobIsClearedFirstThenCountedAndAnnouncedOneBeyondIsRefused) {
    OpenRig rig("p36e51");
    const auto& id = rig.control.identity();
    const std::int32_t start = id.IndirizzoLavori + 2 * id.DimensioneLavori();
    auto& nv = rig.instrument.nvram();
    std::fill_n(nv.begin() + start, id.DimensioneLavori(), 0xAA);
    rig.control.jobs().preparaImmagine();
    rig.control.lavoro().NomeLavoro = "NEW";
    // Beyond the next free job (the total is 2): refused without a write.
    EXPECT_FALSE(rig.control.ScriviLavoro(4));
    EXPECT_EQ(rig.commands(), (std::vector<int>{9, 15}));
    rig.instrument.clearLog();
    ASSERT_TRUE(rig.control.ScriviLavoro(3));
    const auto& r = rig.instrument.requests();
    ASSERT_GE(r.size(), 5u);
    // Status, the total of jobs; the header is cleared in 10-byte frames before its first field
    // is written.
    EXPECT_EQ(std::vector(r.begin(), r.begin() + 2),
              (std::vector<Bytes>{{2, 9, 11}, {5, 15, 105, 0, 0, 125}}));
    EXPECT_EQ(r[2][1], 40);
    EXPECT_EQ(r[2][2] | (r[2][3] << 8) | (r[2][4] << 16), start);
    // The new total, the job change to job 3, ResetModificaRemota.
    EXPECT_EQ(std::vector(r.end() - 3, r.end()),
              (std::vector<Bytes>{{6, 14, 105, 0, 0, 3, 128}, {5, 23, 3, 0, 0, 31}, {3, 6, 0, 9}}));
    // Bytes no field covers were cleared, not left as they were.
    EXPECT_EQ(nv[static_cast<std::size_t>(start) + 19], 0);
    EXPECT_EQ(nv[static_cast<std::size_t>(start) + id.DimTestataLavoro + 11 + 200], 0);
    EXPECT_EQ(nv[105], 3);
    EXPECT_EQ(rig.instrument.jobNotifications(), 1);
}

TEST(Jobs, PhaseChecksShowTheirBoxesAndWriteNothing) {
    InstrumentRig rig("p39e1060");  // phase types need extension 1068
    testing_support::RecordingDialogs dialogs;
    rig.control.setDialogs(&dialogs);
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    rig.control.lavoro().fasi[0].TipoFase = 2;
    rig.control.lavoro().fasi.push_back(rig.control.lavoro().fasi[0]);  // one phase too many
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.ScriviLavoro(1));
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"ERROR\nTipo fase non supportata", "ERROR\nPhase number: 3",
                                        "ERROR\nTipo fase non supportata"}));
    EXPECT_EQ(rig.commands(), (std::vector<int>{9, 15}));

    sim::Profile wide = *sim::findProfile("p36e51");
    wide.capability.bandPoints = 101;
    InstrumentRig big(wide);
    big.control.setDialogs(&dialogs);
    ASSERT_TRUE(big.openSerial());
    big.control.jobs().preparaImmagine();
    dialogs.boxes.clear();
    EXPECT_FALSE(big.control.ScriviLavoro(1));
    EXPECT_EQ(dialogs.texts().front(), "ERROR\nMax band size: 101");
}

TEST(Jobs, CurrentJobNeedsAFourByteStatusAnswer) {
    OpenRig rig("p36e51");
    rig.instrument.setCurrentJob(2);
    ASSERT_TRUE(rig.control.LeggiLavoro(0));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "JOB 2");
    EXPECT_EQ(rig.control.lavoro().fasi[0].ForzaMax, 2468);
    for (int i = 0; i < 3; ++i)
        rig.instrument.addFault({sim::Fault::Kind::Replace, 0, {}, 0, Bytes{0, 0, 2}});
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.LeggiLavoro(0));
    EXPECT_EQ(rig.commands(), (std::vector<int>{9, 9, 9}));
}

// Names too long for their field read as "<?>"; an invalid date keeps the date of the job read
// before.
TEST(Jobs, InvalidNamesAndDatesDecodeSafely) {
    OpenRig rig("p36e51");
    const auto& id = rig.control.identity();
    auto& nv = rig.instrument.nvram();
    const auto job = [&](int n) {
        return nv.begin() + id.IndirizzoLavori + (n - 1) * id.DimensioneLavori();
    };
    const std::uint8_t valid[6] = {0x09, 0x05, 0x14, 0x30, 0x11, 0x26};    // 2026-11-30 14:05:09
    const std::uint8_t invalid[6] = {0x00, 0x00, 0x12, 0x01, 0x13, 0x26};  // month 13
    std::copy(valid, valid + 6, job(1) + 24);
    std::copy(invalid, invalid + 6, job(2) + 24);
    job(2)[0] = 15;                    // name length 15
    job(2)[id.DimTestataLavoro] = 20;  // phase name length 20
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    const auto read = rig.control.lavoro().DataModifiche;
    EXPECT_EQ(std::tuple(read.year, read.month, read.day, read.hour, read.minute, read.second),
              std::tuple(2026, 11, 30, 14, 5, 9));
    ASSERT_TRUE(rig.control.LeggiLavoro(2));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "<?>");
    EXPECT_EQ(rig.control.lavoro().fasi[0].NomeFase, "<?>");
    EXPECT_EQ(rig.control.lavoro().DataModifiche, read);
}

TEST(Scaling, DecimalsUnitsAndSpeeds) {
    instrument::Identity id;
    instrument::ConfigurationValues v;
    v.decimaliForza = 2;
    v.umForzaIndice = 1;
    v.decimaliQuota = 0;
    v.umQuotaIndice = 1;  // inches: 25.4
    const instrument::JobContext ctx{id, 51, v};
    FaseLavoro f;
    const auto s = instrument::scalaPerFase(ctx, f);
    using instrument::Scala;
    EXPECT_DOUBLE_EQ(instrument::decodeValue(ctx, s, Scala::Forza, 1234), 1234.0);  // x 100 / 100
    EXPECT_DOUBLE_EQ(instrument::decodeValue(ctx, s, Scala::Speed, 10), 254.0);     // 0 decimals
    // No factor on encoding; ties to even; the field's range.
    EXPECT_EQ(std::vector<std::int32_t>(
                  {instrument::encodeValue(ctx, s, Scala::Speed, 254.0),
                   instrument::encodeValue(ctx, s, Scala::QuotaStrumento, 25.4 * 2.5),
                   instrument::encodeValue(ctx, s, Scala::Forza, -5),
                   instrument::encodeValue(ctx, s, Scala::Forza, 1e9)}),
              std::vector<std::int32_t>({254, 2, 0, 65535}));
    f.LowSpeedWorking = true;
    EXPECT_EQ(instrument::scalaPerFase(ctx, f).decimaliSpeedLavoro, 3);
}

TEST(CurveChecks, EditingRules) {
    OpenRig rig("p36e51");
    rig.control.jobs().preparaImmagine();
    auto curve = rig.control.curve(1);
    for (int i = 0; i < 25; ++i) curve.AddPuntoInferiore(static_cast<float>(i), 1);
    EXPECT_EQ(rig.control.lavoro().fasi[0].PuntiBordoInferiore, 20);  // NumeroMassimoPuntiFascia
    curve.CheckPointVerticale(1, 1, 2, 3);
    curve.CheckPointSpeed(2, 5, 4);  // ends before it starts
    EXPECT_TRUE(curve.tipo(1, 4));
    EXPECT_TRUE(curve.CheckPointEsiste(1));
    EXPECT_FALSE(curve.CheckPointEsiste(2));
    curve.EliminaTuttiCheckPoint();
    for (int n = 1; n <= 8; ++n)
        for (int t = 1; t <= 6; ++t) EXPECT_FALSE(curve.tipo(n, t));
    curve.ClearFascia();
    ASSERT_TRUE(rig.control.ScriviLavoro(1));
    // Both count bytes are 0 in NVRAM.
    const auto& id = rig.control.identity();
    const std::size_t bands =
        static_cast<std::size_t>(id.IndirizzoLavori + id.DimTestataLavoro + id.DimFaseBase +
                                 id.DimFaseExtra + id.NumeroMassimoCheckPoint * id.DimCheckPoint);
    EXPECT_EQ(rig.instrument.nvram()[bands], 0);
    EXPECT_EQ(rig.instrument.nvram()[bands + 1 + 4 * 20], 0);
    // A stored count above the limit reads as the limit.
    rig.instrument.nvram()[bands] = 200;
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    EXPECT_EQ(rig.control.lavoro().fasi[0].PuntiBordoInferiore, 20);
}

TEST(Jobs, ReadAndWriteReportThePhasesAndStopWhenAsked) {
    OpenRig rig("p36e51");
    testing_support::ProgressRecorder all, stop(2);
    ASSERT_TRUE(rig.control.LeggiLavoro(1, all));
    ASSERT_TRUE(rig.control.ScriviLavoro(1, all));
    EXPECT_EQ(all.updates, (std::vector<long>{1, 2, 3, 4, 1, 2, 3, 4}));
    EXPECT_FALSE(rig.control.LeggiLavoro(1, stop));
    EXPECT_TRUE(rig.control.jobs().interrupted);
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.ScriviLavoro(1, stop));
    EXPECT_TRUE(rig.control.jobs().interrupted);
    // Stopped after the second phase: no job-change notification, no end of the remote change.
    const auto c = rig.commands();
    EXPECT_EQ(std::count(c.begin(), c.end(), 23) + std::count(c.begin(), c.end(), 6), 0);
}

// The decoders look only at the bytes they are given, whatever the record sizes claim; a phase
// base too small for a field: the field is neither decoded nor written. A protocol 17, extension
// 23 instrument with 10 band points.
TEST(Jobs, CodecsStayInsideTheRecordTheyAreGiven) {
    instrument::Identity id;
    id.Protocollo = 17;
    id.DimTestataLavoro = 5;
    id.DimFaseBase = 56;
    id.NumeroMassimoPuntiFascia = 10;
    instrument::ConfigurationValues v;
    const instrument::JobContext ctx{id, 23, v};
    JobImage job;
    job.fasi.resize(4);
    job.JobID = 77;
    job.CampioniAutover = 5;
    // A header of 5 bytes whose memory goes on with 0xFF beyond its end.
    Bytes header(64, 0xFF);
    header.resize(5);
    const Bytes stored = {4, 'A', 'B', 'C', 'D'};
    std::copy(stored.begin(), stored.end(), header.begin());
    instrument::decodeHeader(ctx, header, job);
    EXPECT_EQ(std::tuple(job.NomeLavoro, job.JobID, job.CampioniAutover, job.ChiediCodice),
              std::tuple("ABCD", 77, 5, false));
    for (const FaseLavoro& f : job.fasi) EXPECT_FALSE(f.FaseAbilitata);
    // A phase record cut short: the fields beyond its end keep their values.
    FaseLavoro f;
    f.ForzaMax = 12;
    f.StopDelay = 3;
    Bytes phase(200, 0xFF);
    phase.resize(20);
    phase[0] = 2;
    phase[1] = 'P';
    phase[2] = '1';
    instrument::decodePhase(ctx, phase, f);
    EXPECT_EQ(std::tuple(f.NomeFase, f.ForzaMax, f.StopDelay, f.PuntiBordoInferiore),
              std::tuple("P1", 12.0f, 3.0f, std::int16_t{0}));
    // A phase base of 10 bytes: the name, then the two band edges right after it.
    id.DimTestataLavoro = 64;
    id.DimFaseBase = 10;
    FaseLavoro g;
    g.NomeFase = "PH1";
    g.SetPoint = 321;
    g.FondoScalaForzaIndice = 3;
    std::vector<std::int32_t> offsets;
    for (const auto& w : instrument::encodePhase(ctx, g)) offsets.push_back(w.offset);
    EXPECT_EQ(offsets, (std::vector<std::int32_t>{0, 10, 10 + 1 + 4 * 10}));
}

TEST(Jobs, AFiveByteJobHeaderReadsAndWritesWithinItsRecord) {
    sim::Profile p = *sim::findProfile("p17e23");
    p.oldCapability[0] = 5;  // NVRAM 46: the job header size
    OpenRig rig(p);
    ASSERT_EQ(rig.control.identity().DimTestataLavoro, 5);
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "JOB ");  // what the header holds of "JOB 1"
    EXPECT_FALSE(rig.control.lavoro().ChiediCodice);
    // Writing it back changes the name and nothing else of the header.
    rig.control.lavoro().NomeLavoro = "AB";
    ASSERT_TRUE(rig.control.ScriviLavoro(1));
    const auto start = rig.instrument.nvram().begin() + rig.control.IndirizzoLavori();
    EXPECT_EQ(Bytes(start, start + 5), (Bytes{2, 'A', 'B', 'B', ' '}));
}

}  // namespace

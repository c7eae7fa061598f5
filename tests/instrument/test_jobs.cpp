// Jobs and phases, checkpoints and bands: the job image against the simulated NVRAM.
#include <gtest/gtest.h>

#include <algorithm>

#include "instrument/job_codec.h"
#include "instrument/progress_recorder.h"
#include "platform/protocol.h"
#include "support/instrument_rig.h"
#include "support/recording_dialogs.h"

using instrument::FaseLavoro;
using instrument::JobImage;
using platform::Bytes;
using testing_support::InstrumentRig;

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
    job.ChiediCodice = true;
    job.JobID = 4321;
    job.PercentualeScartiMassima = 7;
    job.TempoVitaFase = 3;
    job.ChiediConfermaFinePezzo = true;
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
        curve.AddPuntoInferiore(1.0f, 100);
        curve.AddPuntoInferiore(2.0f, 150);
        curve.AddPuntoSuperiore(1.0f, 300);
        curve.AddPuntoSuperiore(2.0f, 350);
        curve.AddPuntoSuperiore(3.0f, 400);
    }
}

class EveryProfile : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Jobs, EveryProfile,
                         ::testing::Values("p17e23", "p36e51", "p39e1060", "p41e1072"));

TEST_P(EveryProfile, WrittenJobReadsBackTheSame) {
    InstrumentRig rig(GetParam());
    ASSERT_TRUE(rig.openSerial());
    fillJob(rig);
    const JobImage written = rig.control.lavoro();
    ASSERT_TRUE(rig.control.ScriviLavoro(3));
    EXPECT_EQ(rig.control.LeggiTotaleLavori(), 3);
    ASSERT_TRUE(rig.control.LeggiLavoro(3));
    const JobImage read = rig.control.lavoro();
    EXPECT_EQ(read.NomeLavoro, "FLANGE 42");
    EXPECT_EQ(read.PosizioneLavoro, 3);
    ASSERT_EQ(read.fasi.size(), written.fasi.size());
    for (std::size_t p = 0; p < read.fasi.size(); ++p) {
        const FaseLavoro& a = written.fasi[p];
        const FaseLavoro& b = read.fasi[p];
        EXPECT_EQ(b.NomeFase, a.NomeFase);
        EXPECT_EQ(b.FaseAbilitata, a.FaseAbilitata) << p;
        EXPECT_EQ(b.ForzaStop, a.ForzaStop);
        EXPECT_EQ(b.ForzaMax, a.ForzaMax);
        EXPECT_FLOAT_EQ(b.QuotaStop, a.QuotaStop);
        EXPECT_FLOAT_EQ(b.QuotaMax, a.QuotaMax);
        EXPECT_FLOAT_EQ(b.QuotaInizioMax, a.QuotaInizioMax);
        EXPECT_EQ(b.SetPoint, a.SetPoint);
        EXPECT_EQ(b.checkPoint, a.checkPoint);  // every type, both band edges below
        EXPECT_EQ(b.PuntiBordoInferiore, 2);
        EXPECT_EQ(b.PuntiBordoSuperiore, 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(b.bordoSuperiore[static_cast<std::size_t>(i)],
                      a.bordoSuperiore[static_cast<std::size_t>(i)]);
    }
    // What was read writes back to exactly the same image.
    ASSERT_TRUE(rig.control.ScriviLavoro(3));
    ASSERT_TRUE(rig.control.LeggiLavoro(3));
    EXPECT_TRUE(rig.control.lavoro() == read);
}

TEST(Jobs, GenerationDependentHeaderFields) {
    InstrumentRig rig("p41e1072");
    ASSERT_TRUE(rig.openSerial());
    fillJob(rig);
    ASSERT_TRUE(rig.control.ScriviLavoro(3));
    ASSERT_TRUE(rig.control.LeggiLavoro(3));
    const JobImage& j = rig.control.lavoro();
    EXPECT_EQ(j.CodiceLavoro, "C-77");
    EXPECT_EQ(j.DataModifiche.year, 2026);
    EXPECT_EQ(j.DataModifiche.minute, 5);
    EXPECT_EQ(j.NumeroMassimoScarti, 12);
    EXPECT_TRUE(j.ChiediCodice);
    EXPECT_EQ(j.JobID, 4321);
    EXPECT_EQ(j.PercentualeScartiMassima, 7);
    EXPECT_EQ(j.TempoVitaFase, 3);
    EXPECT_TRUE(j.ChiediConfermaFinePezzo);
    EXPECT_FLOAT_EQ(j.fasi[0].StopDelay, 1.5f);
    EXPECT_EQ(j.fasi[0].ScartoSpeciale, 0x800001u);
    EXPECT_TRUE(instrument::causaScarto(j.fasi[0], 24).ScartoSpeciale);
    EXPECT_EQ(j.fasi[0].NumeroRipetizioniFase, 3);
}

TEST(Jobs, NewJobIsClearedFirstThenCountedAndAnnounced) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    const auto& id = rig.control.identity();
    const std::int32_t start = id.IndirizzoLavori + 2 * id.DimensioneLavori();
    auto& nv = rig.instrument.nvram();
    std::fill_n(nv.begin() + start, id.DimensioneLavori(), 0xAA);
    rig.control.jobs().preparaImmagine();
    rig.control.lavoro().NomeLavoro = "NEW";
    rig.instrument.clearLog();
    ASSERT_TRUE(rig.control.ScriviLavoro(3));
    const auto& r = rig.instrument.requests();
    ASSERT_GE(r.size(), 5u);
    EXPECT_EQ(r[0], (Bytes{2, 9, 11}));               // status
    EXPECT_EQ(r[1], (Bytes{5, 15, 105, 0, 0, 125}));  // total of jobs
    // The header is cleared in 10-byte frames before its first field is written.
    EXPECT_EQ(r[2][1], 40);
    EXPECT_EQ(r[2][2] | (r[2][3] << 8) | (r[2][4] << 16), start);
    const auto tail = std::vector<Bytes>(r.end() - 3, r.end());
    EXPECT_EQ(tail[0], (Bytes{6, 14, 105, 0, 0, 3, 128}));  // the new total
    EXPECT_EQ(tail[1], (Bytes{5, 23, 3, 0, 0, 31}));        // job change, job 3
    EXPECT_EQ(tail[2], (Bytes{3, 6, 0, 9}));                // ResetModificaRemota
    // Bytes no field covers were cleared, not left as they were.
    EXPECT_EQ(nv[static_cast<std::size_t>(start) + 19], 0);
    EXPECT_EQ(nv[static_cast<std::size_t>(start) + id.DimTestataLavoro + 11 + 200], 0);
    EXPECT_EQ(nv[105], 3);
    EXPECT_EQ(rig.instrument.jobNotifications(), 1);
}

TEST(Jobs, JobBeyondTheNextFreeIsRefusedWithoutWriting) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    rig.control.jobs().preparaImmagine();
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.ScriviLavoro(4));  // total is 2
    EXPECT_EQ(rig.commands(), (std::vector<int>{9, 15}));
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
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
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

TEST(Jobs, InvalidNamesAndDatesDecodeSafely) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    const auto before = rig.control.lavoro().DataModifiche;
    const auto& id = rig.control.identity();
    auto& nv = rig.instrument.nvram();
    const std::size_t start = static_cast<std::size_t>(id.IndirizzoLavori);
    nv[start] = 15;                                                        // name length 15
    nv[start + id.DimTestataLavoro] = 20;                                  // phase name length 20
    const std::uint8_t badDate[6] = {0x00, 0x00, 0x12, 0x01, 0x13, 0x26};  // month 13
    std::copy(badDate, badDate + 6, nv.begin() + static_cast<std::ptrdiff_t>(start) + 24);
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "<?>");
    EXPECT_EQ(rig.control.lavoro().fasi[0].NomeFase, "<?>");
    EXPECT_EQ(rig.control.lavoro().DataModifiche, before);
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
    EXPECT_DOUBLE_EQ(instrument::decodeValue(ctx, s, Scala::Speed, 10),
                     254.0);                                               // 0 decimals, not -1
    EXPECT_EQ(instrument::encodeValue(ctx, s, Scala::Speed, 254.0), 254);  // no factor on encoding
    EXPECT_EQ(instrument::encodeValue(ctx, s, Scala::QuotaStrumento, 25.4 * 2.5),
              2);  // ties to even
    EXPECT_EQ(instrument::encodeValue(ctx, s, Scala::Forza, -5), 0);
    EXPECT_EQ(instrument::encodeValue(ctx, s, Scala::Forza, 1e9), 65535);
    f.LowSpeedWorking = true;
    EXPECT_EQ(instrument::scalaPerFase(ctx, f).decimaliSpeedLavoro, 3);
}

TEST(CurveChecks, EditingRules) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
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

TEST(Jobs, AnInvalidDateKeepsTheDateOfTheJobReadBefore) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    auto& nv = rig.instrument.nvram();
    auto dateOf = [&](int job) {
        return nv.begin() + rig.control.IndirizzoLavori() +
               (job - 1) * rig.control.DimensioneLavori() + 24;
    };
    const std::uint8_t valid[6] = {0x09, 0x05, 0x14, 0x30, 0x11, 0x26};    // 2026-11-30 14:05:09
    const std::uint8_t invalid[6] = {0x00, 0x00, 0x12, 0x01, 0x13, 0x26};  // month 13
    std::copy(valid, valid + 6, dateOf(1));
    std::copy(invalid, invalid + 6, dateOf(2));
    auto date = [&] {
        const auto& d = rig.control.lavoro().DataModifiche;
        return std::vector<int>{d.year, d.month, d.day, d.hour, d.minute, d.second};
    };
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    EXPECT_EQ(date(), (std::vector<int>{2026, 11, 30, 14, 5, 9}));
    ASSERT_TRUE(rig.control.LeggiLavoro(2));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "JOB 2");
    EXPECT_EQ(date(), (std::vector<int>{2026, 11, 30, 14, 5, 9}));
}

TEST(Jobs, ReadAndWriteReportThePhasesAndStopWhenAsked) {
    InstrumentRig rig("p36e51");
    ASSERT_TRUE(rig.openSerial());
    testing_support::ProgressRecorder all;
    ASSERT_TRUE(rig.control.LeggiLavoro(1, all));
    EXPECT_EQ(all.updates, (std::vector<long>{1, 2, 3, 4}));
    ASSERT_TRUE(rig.control.ScriviLavoro(1, all));
    EXPECT_EQ(all.updates, (std::vector<long>{1, 2, 3, 4, 1, 2, 3, 4}));

    testing_support::ProgressRecorder stop(2);
    EXPECT_FALSE(rig.control.LeggiLavoro(1, stop));
    EXPECT_TRUE(rig.control.jobs().interrupted);
    rig.instrument.clearLog();
    EXPECT_FALSE(rig.control.ScriviLavoro(1, stop));
    EXPECT_TRUE(rig.control.jobs().interrupted);
    // Stopped after the second phase: no job-change notification, no end of the remote change.
    const auto c = rig.commands();
    EXPECT_EQ(std::count(c.begin(), c.end(), 23), 0);
    EXPECT_EQ(std::count(c.begin(), c.end(), 6), 0);
}

// A protocol 17, extension 23 instrument with the record sizes given and 10 band points.
struct SmallRecords {
    SmallRecords(std::int16_t header, std::int16_t phaseBase) {
        id.Protocollo = 17;
        id.DimTestataLavoro = header;
        id.DimFaseBase = phaseBase;
        id.NumeroMassimoPuntiFascia = 10;
    }
    instrument::Identity id;
    instrument::ConfigurationValues v;
    instrument::JobContext ctx{id, 23, v};
};

// The decoders look only at the bytes they are given, whatever the record sizes claim.
TEST(Jobs, DecodersStayInsideTheRecordTheyAreGiven) {
    const SmallRecords small(5, 56);
    const instrument::JobContext& ctx = small.ctx;
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
    EXPECT_EQ(job.NomeLavoro, "ABCD");
    EXPECT_EQ(job.JobID, 77);
    EXPECT_EQ(job.CampioniAutover, 5);
    EXPECT_FALSE(job.ChiediCodice);
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
    EXPECT_EQ(f.NomeFase, "P1");
    EXPECT_EQ(f.ForzaMax, 12);
    EXPECT_EQ(f.StopDelay, 3);
    EXPECT_EQ(f.PuntiBordoInferiore, 0);
}

TEST(Jobs, AFiveByteJobHeaderReadsAndWritesWithinItsRecord) {
    sim::Profile p = *sim::findProfile("p17e23");
    p.oldCapability[0] = 5;  // NVRAM 46: the job header size
    InstrumentRig rig(p);
    ASSERT_TRUE(rig.openSerial());
    ASSERT_EQ(rig.control.identity().DimTestataLavoro, 5);
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "JOB ");  // what the header holds of "JOB 1"
    EXPECT_FALSE(rig.control.lavoro().ChiediCodice);

    // Writing it back changes the name and nothing else of the header.
    rig.control.lavoro().NomeLavoro = "AB";
    auto& nv = rig.instrument.nvram();
    ASSERT_TRUE(rig.control.ScriviLavoro(1));
    const auto start = nv.begin() + rig.control.IndirizzoLavori();
    EXPECT_EQ(std::vector<std::uint8_t>(start, start + 5),
              (std::vector<std::uint8_t>{2, 'A', 'B', 'B', ' '}));
    ASSERT_TRUE(rig.control.LeggiLavoro(1));
    EXPECT_EQ(rig.control.lavoro().NomeLavoro, "AB");
}

// A phase base too small for a field: the field is neither decoded nor written.
TEST(Jobs, PhaseFieldsBeyondASmallPhaseBaseAreNotWritten) {
    const SmallRecords small(64, 10);
    const instrument::JobContext& ctx = small.ctx;
    FaseLavoro f;
    f.NomeFase = "PH1";
    f.SetPoint = 321;
    f.FondoScalaForzaIndice = 3;
    std::vector<std::int32_t> offsets;
    for (const auto& w : instrument::encodePhase(ctx, f)) offsets.push_back(w.offset);
    // The name, then the two band edges right after the phase base.
    EXPECT_EQ(offsets, (std::vector<std::int32_t>{0, 10, 10 + 1 + 4 * 10}));
}

}  // namespace

#include "service/format/format_send.h"

#include <array>
#include <vector>

#include "provisioning/display_data.h"
#include "resources/language_files.h"
#include "service/backup/job_copy.h"
#include "service/core/answers.h"
#include "service/core/controller.h"
#include "service/settings/nvram_writes.h"

namespace service {
namespace {

void aggiungi(std::vector<ByteTestata>& out, std::int32_t indirizzo, std::int32_t valore,
              int larghezza) {
    for (int i = 0; i < larghezza; ++i)
        out.push_back({indirizzo + i, static_cast<std::uint8_t>(valore >> (8 * i))});
}

// A ten-byte block, offered again while the technician answers Retry.
bool bloccoConRiprova(CommandHost& host, std::int32_t indirizzo,
                      const std::array<std::int16_t, 10>& dati) {
    while (!Write10byteToKRN(host, indirizzo, dati)) {
        if (host.controller().Annullando()) return false;
        const auto answer =
            host.dialogs().message({kErroreRiprova, "", platform::MessageIcon::Critical,
                                    platform::MessageButtons::RetryCancel, 0});
        if (answer != platform::MessageResult::Retry) return false;
    }
    return true;
}

bool inviaByte(CommandHost& host, const std::vector<std::uint8_t>& immagine, std::int32_t da) {
    const std::size_t primo =
        da > kInizioImmagine ? static_cast<std::size_t>(da - kInizioImmagine) : 0;
    std::size_t i = primo;
    for (; i + 10 <= immagine.size(); i += 10) {
        std::array<std::int16_t, 10> dieci{};
        for (std::size_t k = 0; k < 10; ++k) dieci[k] = immagine[i + k];
        if (!bloccoConRiprova(host, kInizioImmagine + static_cast<std::int32_t>(i), dieci))
            return false;
    }
    for (; i < immagine.size(); ++i)
        if (!WriteToKRN(host, kInizioImmagine + static_cast<std::int32_t>(i), immagine[i]))
            return false;
    return true;
}

}  // namespace

std::vector<ByteTestata> puntatoriTestata(std::int16_t protocollo, std::int16_t estensioni,
                                          bool cancellaTutto, const provisioning::CProfilo& profilo,
                                          const provisioning::IndirizziImmagine& a) {
    std::vector<ByteTestata> out;
    aggiungi(out, 12, a.font8x10, 2);
    aggiungi(out, 14, a.font6x6, 2);
    aggiungi(out, 16, a.risorse, 2);
    if (cancellaTutto) {
        aggiungi(out, 18, a.fineLavori, 3);
        if (estensioni >= 47) {
            aggiungi(out, 38, a.blocco226, 3);
            aggiungi(out, 41, a.fineLavoriFB, 3);
        }
    }
    aggiungi(out, 21, 0, 1);
    aggiungi(out, 22, 0, 4);
    aggiungi(out, 26, a.menuPrincipale, 2);
    aggiungi(out, 28, a.tabellaTesti1, 2);
    aggiungi(out, 30, a.icone, 2);
    aggiungi(out, 32, 0, 4);
    aggiungi(out, 36, 0xFFFF, 2);
    if (estensioni < 47) aggiungi(out, 42, 0, 2);
    aggiungi(out, 44, a.lavoro1, 2);
    const auto secondaLingua = [&] {
        aggiungi(out, 212, a.menuSecondo, 2);
        aggiungi(out, 214, a.tabellaTesti2, 2);
    };
    if (!strumentoModerno(protocollo, estensioni)) {
        if (protocollo == 9 && estensioni == 11) secondaLingua();
        return out;
    }
    if (cancellaTutto && estensioni < 40) aggiungi(out, 55, 0, 3);
    secondaLingua();
    if (cancellaTutto) {
        for (std::int32_t i = 1; i <= profilo.NumeroLavoriStory; ++i)
            aggiungi(out, a.fineLavori + 4 * (i - 1), 0, 4);
        if (estensioni >= 47) aggiungi(out, a.blocco226, 0, 1);
    }
    return out;
}

bool InviaFileNVRAM1(CommandHost& host, const std::string& nomeFile, bool cancellaTutto,
                     const provisioning::CProfilo& profilo,
                     const provisioning::IndirizziImmagine& indirizzi, std::int32_t da) {
    const auto immagine = provisioning::leggiFileImmagine(nomeFile);
    if (!immagine) return false;
    CMain& c = host.controller();
    c.setTransferCount(0);
    c.StartTransfer(indirizzi.fine + kInizioImmagine);
    bool ok = inviaByte(host, *immagine, da);
    if (ok) {
        instrument::UCKRNVisual& control = host.control();
        for (const ByteTestata& b : puntatoriTestata(control.Protocollo(), control.Estensioni(),
                                                     cancellaTutto, profilo, indirizzi))
            if (!(ok = WriteToKRN(host, b.indirizzo, b.valore))) break;
    }
    c.StopTransfer(ok);
    return ok;
}

std::optional<Outcome> prepareImageCommand(CommandHost& host, platform::FileLock& lock) {
    std::string note;
    if (const auto refusal = platform::lockWorkFiles(lock, host.programFolder(), &note)) {
        tell(host, *refusal, platform::MessageIcon::Exclamation);
        return Outcome::Refused;
    }
    if (!note.empty()) tell(host, note, platform::MessageIcon::Information);
    if (const auto rifiutato = provisioning::controllaFileImmagine(host.programFolder())) {
        if (rifiutato->problema.line > 0)
            tellRefusedFile(host, rifiutato->file, rifiutato->problema.line,
                            rifiutato->problema.reason);
        else
            tellCannotRead(host, rifiutato->file, rifiutato->problema.reason);
        return Outcome::FileError;
    }
    return std::nullopt;
}

std::string workImagePath(const std::string& folder) {
    return resources::joinPath(folder, platform::privateName(provisioning::kFileImmagine));
}

void tellProfileRefused(CommandHost& host, const std::string& why) {
    tell(host, "The profile cannot be sent to this instrument: " + why + ".\nNothing was written.",
         platform::MessageIcon::Exclamation);
}

void tellImageFile(CommandHost& host, const provisioning::Immagine& immagine) {
    if (immagine.erroreFile.empty()) return;
    if (immagine.problema && immagine.problema->line == 0)
        tellCannotRead(host, immagine.fileErrato, immagine.problema->reason);
    else if (immagine.problema)
        tellRefusedFile(host, immagine.fileErrato, immagine.problema->line,
                        immagine.problema->reason);
    else if (immagine.fileErrato.empty())
        tell(host, immagine.erroreFile, platform::MessageIcon::Exclamation);
    else if (immagine.erroreFile.rfind("cannot write", 0) == 0)
        tellCannotWrite(host, immagine.fileErrato,
                        immagine.erroreFile.substr(immagine.erroreFile.find(": ") + 2));
    else
        tellCannotRead(host, immagine.fileErrato);
}

}  // namespace service

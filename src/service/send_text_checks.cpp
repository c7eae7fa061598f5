#include "service/send_text_checks.h"

#include <algorithm>

#include "instrument/generations.h"
#include "provisioning/configuration_part.h"
#include "provisioning/display_data.h"
#include "provisioning/image_writer.h"
#include "resources/language_files.h"

namespace service {

provisioning::ParametriImmagine imageParameters(const instrument::UCKRNVisual& c) {
    provisioning::ParametriImmagine v;
    v.formatoFont = c.FormatoFONT();
    v.formatoNVRAM = c.FormatoNVRAM();
    v.elettrica = c.PressaElettrica();
    v.protocollo = c.Protocollo();
    v.estensioni = c.Estensioni();
    v.versione = c.versione();
    v.memorySize = c.MemorySize();
    v.fbSize = c.identity().FielBusMemorySize;
    return v;
}

std::int32_t jobMemoryAfter(const instrument::UCKRNVisual& control, std::int32_t lavoro1) {
    const auto& id = control.identity();
    if (!instrument::fineLavoriInNVRAM(control.Estensioni()))
        return std::max<std::int32_t>(0, id.FineMemoriaLavori - id.IndirizzoLavori);
    return id.FineMemoriaLavori - lavoro1;  // below 0: the texts themselves would not fit
}

std::optional<std::string> jobCopyMismatch(std::int32_t bytes, std::int32_t jobs,
                                           std::int32_t recordSize) {
    const std::int64_t expected = static_cast<std::int64_t>(jobs) * recordSize;
    if (recordSize > 0 && bytes == expected) return std::nullopt;
    return std::to_string(bytes) + " bytes are not the " + std::to_string(jobs) +
           " jobs of this instrument (" + std::to_string(expected) + " bytes, " +
           std::to_string(recordSize) + " a job)";
}

std::optional<std::vector<SlotWrite>> defaultTextWrites(const std::string& folder,
                                                        std::int16_t estensioni,
                                                        const provisioning::Immagine& image,
                                                        const SlotReader& current) {
    std::vector<provisioning::TestiLingua> languages;
    for (int l = 0; l < resources::kLanguageCount; ++l)
        if (auto t = provisioning::leggiTestiLingua(folder, l)) languages.push_back(std::move(*t));

    std::vector<SlotWrite> writes;
    for (const auto& slot : provisioning::slotTestiPredefiniti(estensioni)) {
        const std::size_t size = static_cast<std::size_t>(slot.massimo) + 1;
        const std::size_t from =
            static_cast<std::size_t>(slot.indirizzo - provisioning::kPrimoIndirizzoImmagine);
        if (image.byte.size() < from + size) continue;
        const std::vector<std::uint8_t> wanted(image.byte.begin() + static_cast<long>(from),
                                               image.byte.begin() + static_cast<long>(from + size));
        const auto held = current(slot.indirizzo, static_cast<int>(size));
        if (!held || held->size() != size) return std::nullopt;
        // The text the slot holds: its length byte and that many characters.
        const std::size_t length = (*held)[0];
        if (length > static_cast<std::size_t>(slot.massimo)) continue;
        const auto sameText = [&](const std::vector<std::uint8_t>& b) {
            return std::equal(held->begin(), held->begin() + static_cast<long>(length) + 1,
                              b.begin());
        };
        // A send broken off while it rewrote the slot (one byte at a time, from its length on)
        // left the new bytes up to some point and a default's after it.
        const auto common = static_cast<long>(
            std::mismatch(held->begin(), held->end(), wanted.begin()).first - held->begin());
        const auto halfway = [&](const std::vector<std::uint8_t>& b) {
            return std::equal(held->begin() + common, held->end(), b.begin() + common);
        };
        const bool isDefault =
            std::any_of(languages.begin(), languages.end(), [&](const auto& texts) {
                const auto it = texts.find(slot.voce);
                if (it == texts.end()) return false;
                const auto bytes = provisioning::slotContato(it->second, slot.massimo);
                return sameText(bytes) || halfway(bytes);
            });
        if (isDefault && *held != wanted) writes.push_back({slot.indirizzo, wanted});
    }
    return writes;
}

}  // namespace service

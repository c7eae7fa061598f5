#include "service/texts/send_text_checks.h"

#include <algorithm>

#include "instrument/generations.h"
#include "provisioning/configuration_part.h"
#include "provisioning/display_data.h"
#include "provisioning/image_writer.h"
#include "resources/language_files.h"

namespace service {

std::int32_t jobMemoryAfter(const instrument::UCKRNVisual& control, std::int32_t lavoro1) {
    const auto& id = control.identity();
    if (!instrument::fineLavoriInNVRAM(control.Estensioni()))
        return std::max<std::int32_t>(0, id.FineMemoriaLavori - id.IndirizzoLavori);
    return id.FineMemoriaLavori - lavoro1;  // below 0: the texts themselves would not fit
}

std::optional<std::string> layoutMismatch(std::int32_t fineConfigurazione, std::int32_t risorse) {
    if (fineConfigurazione == risorse) return std::nullopt;
    return "The configuration of the KRN ends at " + std::to_string(fineConfigurazione) +
           ", the new texts begin at " + std::to_string(risorse) +
           ": they cannot be sent without changing the configuration.\n"
           "Format the instrument instead.\nNothing was changed.";
}

std::optional<std::string> jobCopyMismatch(std::int32_t bytes, std::int32_t jobs,
                                           std::int32_t recordSize) {
    const std::int64_t expected = static_cast<std::int64_t>(jobs) * recordSize;
    if (recordSize > 0 && bytes == expected) return std::nullopt;
    return std::to_string(bytes) + " bytes are not the " + std::to_string(jobs) +
           " jobs of this instrument (" + std::to_string(expected) + " bytes, " +
           std::to_string(recordSize) + " a job)";
}

namespace {

// The slot's bytes for the default text of every language that has one.
std::vector<std::vector<std::uint8_t>> defaultsOf(
    const std::vector<provisioning::TestiLingua>& languages,
    const provisioning::SlotTestoPredefinito& slot) {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& texts : languages)
        if (const auto it = texts.find(slot.voce); it != texts.end())
            out.push_back(provisioning::slotContato(it->second, slot.massimo));
    return out;
}

// Whether the slot holds a default text: the text itself (length byte and characters; what
// follows may be anything), or what a send broken off while it rewrote the slot one byte at a
// time, from its length on, leaves: one default's bytes up to some point, another's after it.
bool isDefault(const std::vector<std::uint8_t>& held, const std::vector<std::uint8_t>& wanted,
               std::vector<std::vector<std::uint8_t>> defaults) {
    const std::size_t length = held[0];
    if (length + 1 > held.size()) return false;
    defaults.push_back(wanted);
    for (const auto& d : defaults)
        if (std::equal(held.begin(), held.begin() + static_cast<long>(length) + 1, d.begin()))
            return true;
    for (const auto& written : defaults) {
        // Where `held` leaves the default being written, the rest must be the one it replaced.
        const auto common =
            std::mismatch(held.begin(), held.end(), written.begin()).first - held.begin();
        for (const auto& replaced : defaults)
            if (std::equal(held.begin() + common, held.end(), replaced.begin() + common))
                return true;
    }
    return false;
}

}  // namespace

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
        if (isDefault(*held, wanted, defaultsOf(languages, slot)) && *held != wanted)
            writes.push_back({slot.indirizzo, wanted});
    }
    return writes;
}

}  // namespace service

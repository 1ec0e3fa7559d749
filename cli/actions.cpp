#include "cli/actions.h"

#include "cli/error.h"

namespace cli {

Created Create(const layout::Model& model, const layout::Values& values,
               const CE2promData& holder)
{
    Created created;
    created.image = holder;
    if (model.encode)
        created.corrections = model.encode(values, created.image).corrections;
    return created;
}

layout::Values Decoded(const layout::Model& model, const CE2promData& image,
                       std::vector<std::string>& warnings)
{
    layout::Values values = layout::DefaultValues(model);
    if (!model.decode)
        return values;
    layout::DecodeResult decoded = model.decode(image);
    for (auto& [key, number] : decoded.values.numbers)
        values.numbers[key] = number;
    for (auto& [key, text] : decoded.values.texts)
        values.texts[key] = text;
    for (const layout::DecodeNote& note : decoded.notes)
        warnings.push_back(note.message);
    return values;
}

CE2promData LoadedHolder(const layout::Model& model, std::span<const std::uint8_t> bytes)
{
    const std::size_t size = static_cast<std::size_t>(model.loadSize);
    if (model.exactLoadSize ? bytes.size() != size : bytes.size() < size)
        throw Error("the file holds " + std::to_string(bytes.size()) + " bytes; a " +
                    std::string(model.name) + " image file holds " +
                    (model.exactLoadSize ? "exactly " : "at least ") + std::to_string(size));
    CE2promData holder;
    holder.CopyIn(bytes.data(), static_cast<int>(size));
    return holder;
}

Loaded Load(const layout::Model& model, std::span<const std::uint8_t> bytes,
            const LoadOptions& options)
{
    Loaded loaded;
    loaded.image = LoadedHolder(model, bytes);
    if (model.foreignImageQuestion) {
        if (const auto question = model.foreignImageQuestion(loaded.image)) {
            if (options.strict)
                throw Error(*question + " [Cancel: --strict refuses an image of another model]");
            loaded.warnings.push_back(*question + " [answered OK]");
        }
    }

    loaded.model = &model;
    if (options.followDisplay && model.chooseDisplayModel) {
        const layout::DisplayChoice choice = model.chooseDisplayModel(loaded.image, model);
        if (choice.model) {
            loaded.model = choice.model;
        } else if (!choice.question.empty()) {
            loaded.templateAsked = true;
            const bool yes = !options.keepModel && choice.ifYes;
            loaded.warnings.push_back(choice.question + (yes ? " [answered Yes]" : " [answered No]"));
            if (yes)
                loaded.model = choice.ifYes;
        }
    }
    loaded.values = Decoded(*loaded.model, loaded.image, loaded.warnings);
    return loaded;
}

} // namespace cli

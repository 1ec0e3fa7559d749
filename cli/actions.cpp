#include "cli/actions.h"

#include "cli/error.h"

namespace cli {

Created Create(const layout::Model& model, const layout::Values& values,
               const CE2promData& holder)
{
    if (const std::optional<layout::Refusal> refusal = layout::RefuseCreate(model, values))
        throw Error(refusal->message + " (key \"" +
                    std::string(model.fields[refusal->field].key) + "\"; nothing written)");
    Created created{holder, {}};
    created.corrections = layout::Create(model, values, created.image).corrections;
    return created;
}

layout::Values Decoded(const layout::Model& model, const CE2promData& image,
                       std::vector<std::string>& warnings)
{
    layout::Values values = layout::DefaultValues(model);
    const layout::DecodeResult decoded = model.decode(model, image);
    values.overlay(decoded.values);
    for (const layout::DecodeNote& note : decoded.notes)
        warnings.push_back(note.message);
    return values;
}

CE2promData LoadedHolder(const layout::Model& model, std::span<const std::uint8_t> bytes)
{
    if (!layout::LoadTakes(model, bytes.size()))
        throw Error("the file holds " + std::to_string(bytes.size()) +
                    (bytes.size() == 1 ? " byte; a " : " bytes; a ") +
                    std::string(model.name) + " image file holds " +
                    (model.exactLoadSize ? "exactly " : "at least ") +
                    std::to_string(model.loadSize));
    CE2promData holder;
    holder.CopyIn(bytes.data(), model.loadSize);
    return holder;
}

Loaded Load(const layout::Model& model, std::span<const std::uint8_t> bytes,
            const LoadOptions& options)
{
    Loaded loaded;
    loaded.image = LoadedHolder(model, bytes);
    if (model.foreignImageQuestion) {
        if (const auto question = model.foreignImageQuestion(model, loaded.image)) {
            if (options.strict)
                throw Error(*question + " [Cancel: --strict refuses an image of another model]");
            loaded.warnings.push_back(*question + " [answered OK]");
        }
    }

    loaded.model = &model;
    if (options.followDisplay && model.chooseDisplayModel) {
        const layout::DisplayChoice choice = model.chooseDisplayModel(model, loaded.image);
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

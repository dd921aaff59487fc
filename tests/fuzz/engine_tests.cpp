// The mutation engine of the fuzzers that run under Wine: a seed must name one sequence
// of inputs, fields must be found where the readers of each format find their lengths
// and counts, and bundles must stay readable whatever is done to them.
#include "fuzz/engine/bundle.h"
#include "fuzz/engine/formatfields.h"
#include "fuzz/engine/mutator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// Little-endian template bytes, laid out as a resource compiler writes them.
class TemplateWriter {
public:
    TemplateWriter& Word(uint32_t value) {
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
        return *this;
    }
    TemplateWriter& Dword(uint32_t value) { return Word(value).Word(value >> 16); }
    TemplateWriter& Text(const std::string& text) {
        for (char c : text)
            Word(static_cast<uint8_t>(c));
        return Word(0);
    }
    TemplateWriter& Align() {
        while (bytes.size() % 4)
            bytes.push_back(0);
        return *this;
    }
    size_t Size() const { return bytes.size(); }

    Bytes bytes;
};

constexpr uint32_t DS_SETFONT_STYLE = 0x80000040;

// A standard template with a predefined button and a control of a class by name.
Bytes StandardTemplate(size_t& buttonClass) {
    TemplateWriter writer;
    writer.Dword(DS_SETFONT_STYLE).Dword(0).Word(2).Word(0).Word(0).Word(100).Word(50);
    writer.Word(0).Word(0).Text("Title").Word(8).Text("Face");
    writer.Align().Dword(0x50010000).Dword(0).Word(1).Word(2).Word(30).Word(10).Word(1);
    buttonClass = writer.Size() + 2;
    writer.Word(0xFFFF).Word(0x80).Text("OK").Word(0);
    writer.Align().Dword(0x50010000).Dword(0).Word(1).Word(20).Word(30).Word(10).Word(1033);
    writer.Text("ZRKHOTKEY_CLASS").Text("").Word(0);
    return writer.bytes;
}

Bytes ExtendedTemplate(size_t& staticClass) {
    TemplateWriter writer;
    writer.Word(1).Word(0xFFFF).Dword(0).Dword(0).Dword(DS_SETFONT_STYLE).Word(1);
    writer.Word(0).Word(0).Word(100).Word(50).Word(0).Word(0).Text("");
    writer.Word(8).Word(400).Word(0).Text("Face");
    writer.Align().Dword(0).Dword(0).Dword(0x50000000).Word(1).Word(2).Word(30).Word(10);
    writer.Dword(1008);
    staticClass = writer.Size() + 2;
    writer.Word(0xFFFF).Word(0x82).Text("").Word(0);
    return writer.bytes;
}

bool HasField(const std::vector<Field>& fields, size_t offset, uint8_t width) {
    return std::any_of(fields.begin(), fields.end(), [&](const Field& field) {
        return field.offset == offset && field.width == width;
    });
}

TEST(Mutator, ASeedNamesOneSequenceOfInputsWithinTheSizeLimit) {
    const std::vector<Bytes> seeds = {Bytes(40, 'a'), Bytes(300, 'b'), Bytes()};
    const FieldFinder fields = [](const Bytes&) { return std::vector<Field>{{0, 4}}; };
    CMutator first(7, 256, {{'<', 'b', '>'}});
    CMutator second(7, 256, {{'<', 'b', '>'}});
    CMutator other(8, 256);
    bool differs = false;
    bool changed = false;
    for (int i = 0; i < 500; ++i) {
        const Bytes& seed = seeds[static_cast<size_t>(i) % seeds.size()];
        const Bytes input = first.Mutate(seed, seeds, fields);
        ASSERT_EQ(input, second.Mutate(seed, seeds, fields)) << "input " << i;
        EXPECT_LE(input.size(), 256u);
        differs = differs || input != other.Mutate(seed, seeds, fields);
        changed = changed || input != seed;
    }
    EXPECT_TRUE(differs) << "another seed, other inputs";
    EXPECT_TRUE(changed);
}

TEST(Mutator, EveryKindOfMutationWorksOnAnEmptyInputToo) {
    CMutator mutator(1, 1 << 16, {{'x'}});
    const std::vector<Bytes> others = {Bytes(10, 'o')};
    for (int kind = 0; kind < CMutator::KIND_COUNT; ++kind) {
        Bytes data;
        mutator.Apply(static_cast<CMutator::Kind>(kind), data, others);
        EXPECT_FALSE(data.empty() && kind != static_cast<int>(CMutator::Kind::Splice))
            << "kind " << kind << " made nothing of nothing";
    }
}

TEST(Mutator, FieldsAreWrittenInTheirOwnWidthAndOrderAndNeverPastTheEnd) {
    Bytes data(6, 0xEE);
    CMutator::WriteField(data, {1, 2}, 0x12345678);
    CMutator::WriteField(data, {3, 2, true}, 0xABCD);
    CMutator::WriteField(data, {5, 4}, 0xFFFFFFFF); // runs past the end: left alone
    EXPECT_EQ(data, (Bytes{0xEE, 0x78, 0x56, 0xAB, 0xCD, 0xEE}));
    EXPECT_EQ(CMutator::ReadField(data, {3, 2, true}), 0xABCDu);
    EXPECT_EQ(CMutator::ReadField(data, {1, 4}), 0xCDAB5678u);
    EXPECT_EQ(CMutator::ReadField(data, {5, 2}), 0u);
}

TEST(Bundle, EntriesComeBackAndATruncatedOneKeepsWhatIsLeft) {
    Bytes bundle;
    AppendToBundle(bundle, "quiescorskin.ini", {'[', ']'});
    AppendToBundle(bundle, "", {});
    AppendToBundle(bundle, std::string(300, 'n'), {1, 2, 3, 4});
    std::vector<BundleEntry> entries = ReadBundle(bundle);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "quiescorskin.ini");
    EXPECT_EQ(entries[0].data, (Bytes{'[', ']'}));
    EXPECT_TRUE(entries[1].name.empty() && entries[1].data.empty());
    EXPECT_EQ(entries[2].name, std::string(255, 'n')) << "names are cut to their length byte";

    bundle.resize(bundle.size() - 3);
    entries = ReadBundle(bundle);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].data, Bytes{1});
    const std::vector<Field> fields = BundleFields(bundle, {});
    EXPECT_TRUE(HasField(fields, 0, 1) && HasField(fields, 17, 4)) << "the first entry's lengths";
}

TEST(Bundle, MutatingEntriesKeepsEveryLengthTrue) {
    Bytes bundle;
    AppendToBundle(bundle, "a", Bytes(20, 'a'));
    AppendToBundle(bundle, "b", Bytes(30, 'b'));
    CMutator mutator(3, 1 << 16);
    const auto inner = [](const BundleEntry&) { return std::vector<Field>{{0, 2}}; };
    int whole = 0;
    for (int i = 0; i < 200; ++i) {
        const Bytes mutated = MutateBundle(mutator, bundle, {bundle}, inner);
        Bytes rewritten;
        for (const BundleEntry& entry : ReadBundle(mutated))
            AppendToBundle(rewritten, entry.name, entry.data);
        whole += rewritten != mutated;
    }
    EXPECT_GT(whole, 0) << "now and then the lengths themselves are mutated";
    EXPECT_LT(whole, 100) << "mostly one entry's data, in a bundle that reads back the same";
}

TEST(FormatFields, PngChunkLengthsAndTheHeaderSizesAreBigEndian) {
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                       'I',  'H', 'D', 'R', 0,    0,    0,    2,    0, 0, 0, 3,
                       8,    6,   0,   0,   0,    1,    2,    3,    4, // checksum
                       0,    0,   0,   0,   'I',  'E',  'N',  'D',  5, 6, 7, 8};
    const std::vector<Field> fields = PngFields(png);
    EXPECT_TRUE(HasField(fields, 8, 4) && HasField(fields, 33, 4)) << "both chunk lengths";
    EXPECT_TRUE(HasField(fields, 16, 4) && HasField(fields, 20, 4)) << "width and height";
    EXPECT_EQ(CMutator::ReadField(png, fields[1]), 2u);
    EXPECT_TRUE(PngFields(Bytes(png.begin() + 1, png.end())).empty()) << "no signature";
}

TEST(FormatFields, StringBlockLengthsFollowTheStrings) {
    TemplateWriter block;
    block.Word(0).Word(2).Word('h').Word('i').Word(0).Word(1).Word('x');
    const std::vector<Field> fields = StringBlockFields(block.bytes);
    ASSERT_EQ(fields.size(), 4u) << "the block ends after four strings";
    EXPECT_EQ(fields[1].offset, 2u);
    EXPECT_EQ(fields[2].offset, 8u);
    EXPECT_EQ(fields[3].offset, 10u);
}

TEST(FormatFields, DialogShapesFindTheCountAndThePredefinedClasses) {
    size_t buttonClass = 0;
    const Bytes standard = StandardTemplate(buttonClass);
    DialogShape shape = ReadDialogShape(standard);
    EXPECT_FALSE(shape.extended);
    EXPECT_EQ(shape.countOffset, 8u);
    ASSERT_EQ(shape.items.size(), 2u);
    EXPECT_EQ(shape.items[0].classOrdinal, buttonClass);
    EXPECT_EQ(shape.items[1].classOrdinal, 0u) << "a class by name";
    EXPECT_TRUE(HasField(shape.fields, buttonClass, 2));

    size_t staticClass = 0;
    const Bytes extended = ExtendedTemplate(staticClass);
    shape = ReadDialogShape(extended);
    EXPECT_TRUE(shape.extended);
    EXPECT_EQ(shape.countOffset, 16u);
    ASSERT_EQ(shape.items.size(), 1u);
    EXPECT_EQ(shape.items[0].classOrdinal, staticClass);

    // A count that claims more controls than there are bytes for stops at the bytes.
    Bytes claiming = standard;
    CMutator::WriteField(claiming, {8, 2}, 0xFFFF);
    EXPECT_EQ(ReadDialogShape(claiming).items.size(), 2u);
    claiming.resize(buttonClass);
    EXPECT_EQ(ReadDialogShape(claiming).items.size(), 1u);
}

} // namespace

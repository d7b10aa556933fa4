// Packed batches: a store that packs what it made writes the very file it would have written with the
// instances kept whole, through moves and deletions; refusals change nothing; the batches' memory is reused.
// A batch written as records without its instances being made, or kept in its writer's own form and spelt out
// by it, saves as the packed instances would.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/tests/zordata/store_fixture.h"
#include "platform/zordata/packed.h"
#include "platform/zordata/packed_batch.h"
#include "platform/zordata/store_internal.h"

namespace {

// Every kind of value a file holds, references inside a batch, out of it and lists mixing both.
const char kDict[] =
    "SCHEMA packs;\n"
    "ENTITY thing;\n"
    "  i : OPTIONAL INTEGER; r : OPTIONAL REAL; s : OPTIONAL STRING; b : OPTIONAL BOOLEAN;\n"
    "  bin : OPTIONAL BINARY; ref : OPTIONAL thing; items : OPTIONAL LIST [0:?] OF thing;\n"
    "END_ENTITY;\n"
    "ENTITY part SUBTYPE OF (thing); END_ENTITY;\n"
    "ENTITY note; text : OPTIONAL STRING; about : OPTIONAL thing; END_ENTITY;\n"
    "END_SCHEMA;\n";

}  // namespace

class Packed : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Write(Path("packs.dict"), kDict);
        store.ClearData();
        ASSERT_TRUE(store.LoadDictionaryFromFile(Path("packs.dict").c_str())) << store.GetLastErrorDescription();
    }
    CzorInstance* Make(const char* entity, int i) {
        CzorInstance* t = store.CreateInstanceBN(entity);
        store.PutAttrBN(t, "i", i);
        return t;
    }
    std::string Saved(const std::string& name) {
        EXPECT_TRUE(store.SaveToFile(Path(name).c_str())) << store.GetLastErrorDescription();
        const std::string text = Read(Path(name));
        return text.substr(text.find("DATA;"));
    }
    std::vector<CzorEntity*> Parts() { return {E("part"), E("note")}; }
};

namespace {

struct Case {
    const char* name;
    bool move;            // the first batch goes to the end, a later instance after it
    bool deleteKept;      // one kept instance of the first batch is deleted
    bool deleteOutside;   // an instance the batch refers to is deleted
};

}  // namespace

TEST_F(Packed, BatchesSaveTheFileTheirInstancesWould) {
    const Case cases[] = {
        {"plain", false, false, false},
        {"moved", true, false, false},
        {"kept one deleted", false, true, false},
        {"referred one deleted", false, false, true},
        {"all at once", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto build = [&](bool pack) {
            store.ClearData();
            CzorInstance* outside = Make("thing", -7);
            CzorInstance* holder = Make("thing", 1);
            std::vector<CzorInstance*> kept[2], made;
            for (int batch = 0; batch < 2; ++batch) {
                const zorPackMark mark = store.GetPackMark();
                CzorInstance* a = Make("thing", 100 + batch);
                store.PutAttrBN(a, "r", 2.5);
                store.PutAttrBN(a, "s", std::string("Итог 'за' \\ год\x01\x7f"));
                store.PutAttrBN(a, "b", batch == 0);
                const unsigned char bytes[] = {0, 0xAB, 0x10};
                CzorDataBuf buf;
                buf.Add(bytes, sizeof bytes);
                store.PutAttrBN(a, "bin", buf);
                CzorInstance* p = Make("part", -2147483647 - 1);
                store.PutAttrBN(p, "r", 1e20);
                store.PutAttrBN(p, "ref", outside);
                CzorInstance* n = store.CreateInstanceBN("note");
                store.PutAttrBN(n, "text", "");
                store.PutAttrBN(n, "about", a);
                store.PutAttrBN(a, "ref", p);
                // Records alike but for one value or another: each is spelt as it is, not as its
                // predecessor was (zero and minus zero, a reference at the same distance or not).
                CzorInstance* last = p;
                for (int k = 0; k < 12; ++k) {
                    CzorInstance* q = Make("part", k / 3);
                    store.PutAttrBN(q, "r", k % 2 ? -0.0 : 0.0);
                    store.PutAttrBN(q, "s", k % 4 < 2 ? "одно" : "другое");
                    store.PutAttrBN(q, "ref", k % 3 ? last : outside);
                    if (k % 5 == 0) store.PutAttrBN(q, "b", true);
                    last = q;
                }
                CzorInstance* b = Make("thing", 2147483647);
                CzorTAggr<CzorInstance> items;
                items.Add(p);
                items.Add(outside);
                items.Add(a);
                store.PutAttrBN(b, "items", items);
                kept[batch] = {b, a};
                const auto& all = store.GetInstances();
                if (batch == 0) made.assign(all.begin() + mark.count, all.end());
                if (pack) {
                    EXPECT_TRUE(store.PackSince(mark, kept[batch], Parts()));
                }
            }
            CzorTAggr<CzorInstance> all;
            for (auto& k : kept) {
                for (CzorInstance* i : k) all.Add(i);
            }
            all.Add(outside);
            store.PutAttrBN(holder, "items", all);
            store.PutAttrBN(holder, "ref", kept[1][1]);
            if (c.move) {
                Make("thing", 5);
                // A kept instance moves its whole batch, as a list of all of them would.
                std::vector<CzorInstance*> order{holder};
                if (pack) {
                    order.insert(order.end(), {kept[0][1], outside, kept[0][0]});
                } else {
                    order.insert(order.end(), made.begin(), made.end());
                    order.push_back(outside);
                }
                store.MoveToEnd(order);
                Make("thing", 6);
            }
            if (c.deleteKept) store.DeleteInstance(kept[0][0]);
            if (c.deleteOutside) store.DeleteInstance(outside);
            return Saved(pack ? "packed.zordot" : "whole.zordot");
        };
        const std::string whole = build(false), packed = build(true);
        EXPECT_EQ(packed, whole);
        EXPECT_NE(whole.find("#"), std::string::npos);
    }
}

// Packed as one, a batch's kept instances are named in a list by the one that stands for them: the file is
// the one the whole instances would have made, with the list naming each of them, through a move, and
// inside another batch's records too.
TEST_F(Packed, ABatchPackedAsOneSavesTheFileItsInstancesWould) {
    struct Case {
        const char* name;
        bool move;
        bool deleteOutside;
    } const cases[] = {{"plain", false, false}, {"moved", true, false}, {"referred one deleted", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto build = [&](bool pack) {
            store.ClearData();
            CzorInstance* outside = Make("thing", -7);
            CzorInstance* holder = Make("thing", 1);
            CzorTAggr<CzorInstance> named;
            named.Add(outside);
            std::vector<CzorInstance*> firstBatch, made;
            for (int batch = 0; batch < 2; ++batch) {
                const zorPackMark mark = store.GetPackMark();
                std::vector<CzorInstance*> kept;
                CzorInstance* last = outside;
                for (int k = 0; k < 3; ++k) {
                    CzorInstance* p = Make("part", 10 * batch + k);
                    store.PutAttrBN(p, "ref", last);
                    CzorInstance* t = Make("thing", 100 * batch + k);
                    store.PutAttrBN(t, "s", "ячейка");
                    store.PutAttrBN(t, "ref", p);
                    kept.push_back(t);
                    last = t;
                }
                // The second batch's last record lists the first batch (and the holder).
                if (batch == 1) {
                    CzorTAggr<CzorInstance> earlier;
                    earlier.Add(holder);
                    for (CzorInstance* i : firstBatch) earlier.Add(i);
                    store.PutAttrBN(kept.back(), "items", earlier);
                }
                if (batch == 0) made.assign(store.GetInstances().begin() + mark.count, store.GetInstances().end());
                if (pack) {
                    CzorInstance* one = store.PackBatchSince(mark, kept, Parts());
                    EXPECT_NE(one, nullptr);
                    if (!one) return std::string();
                    EXPECT_TRUE(one->IsPacked());
                    kept = {one};
                }
                for (CzorInstance* i : kept) named.Add(i);
                if (batch == 0) firstBatch = kept;
            }
            store.PutAttrBN(holder, "items", named);
            if (c.move) {
                // The one standing for a batch moves the whole batch, as a list of all of it would.
                std::vector<CzorInstance*> order{holder};
                if (pack) order.push_back(firstBatch.front());
                else order.insert(order.end(), made.begin(), made.end());
                store.MoveToEnd(order);
            }
            if (c.deleteOutside) store.DeleteInstance(outside);
            Make("thing", 2);
            return Saved(pack ? "one.zordot" : "whole.zordot");
        };
        const std::string whole = build(false), packed = build(true);
        EXPECT_EQ(packed, whole);
    }
    // Deleting the one that stands for them takes the batch along.
    store.ClearData();
    Make("thing", 0);
    const zorPackMark mark = store.GetPackMark();
    std::vector<CzorInstance*> keep{Make("thing", 1), Make("thing", 2)};
    store.PutAttrBN(keep[0], "ref", Make("part", 3));
    CzorInstance* one = store.PackBatchSince(mark, keep, Parts());
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(store.GetInstanceCount(), 2);
    ASSERT_TRUE(store.DeleteInstance(one));
    EXPECT_EQ(Saved("d.zordot"), "DATA;\n#1=THING(0,$,$,$,$,$,$);\nENDSEC;\nEND-ISO-10303-21;\n");
}

TEST_F(Packed, KeptInstancesStandForTheirRecordsOnly) {
    Make("thing", 0);
    const zorPackMark mark = store.GetPackMark();
    CzorInstance* a = Make("thing", 1);
    CzorInstance* p = Make("part", 2);
    store.PutAttrBN(a, "ref", p);
    std::vector<CzorInstance*> keep{a};
    ASSERT_TRUE(store.PackSince(mark, keep, Parts()));
    CzorInstance* kept = keep[0];
    EXPECT_TRUE(kept->IsPacked());
    EXPECT_EQ(kept->GetEntity(), E("thing"));
    EXPECT_EQ(store.GetInstanceCount(), 2);
    EXPECT_EQ(Extent("thing").size(), 2u);  // the kept one, not the part
    EXPECT_TRUE(Extent("part").empty());
    int i = -1;
    EXPECT_FALSE(store.GetAttrBN(kept, "i", i));
    EXPECT_EQ(i, -1);
    EXPECT_FALSE(store.PutAttrBN(kept, "i", 5));
    // A list may name it, and the file holds its record where it stood.
    CzorInstance* holder = Make("thing", 3);
    CzorTAggr<CzorInstance> items;
    items.Add(kept);
    EXPECT_TRUE(store.PutAttrBN(holder, "items", items));
    const std::string text = Saved("k.zordot");
    EXPECT_NE(text.find("#2=THING(1,$,$,$,$,#3,$);\n#3=PART(2,$,$,$,$,$,$);\n#4=THING(3,$,$,$,$,$,(#2));"),
              std::string::npos)
        << text;
}

TEST_F(Packed, DeletingEveryKeptInstanceTakesTheBatchAlong) {
    Make("thing", 0);
    const zorPackMark mark = store.GetPackMark();
    std::vector<CzorInstance*> keep{Make("thing", 1), Make("thing", 2)};
    store.PutAttrBN(keep[0], "ref", Make("part", 3));
    ASSERT_TRUE(store.PackSince(mark, keep, Parts()));
    Make("thing", 4);
    for (CzorInstance* k : keep) ASSERT_TRUE(store.DeleteInstance(k));
    EXPECT_EQ(Saved("d.zordot"), "DATA;\n#1=THING(0,$,$,$,$,$,$);\n#2=THING(4,$,$,$,$,$,$);\nENDSEC;\nEND-ISO-10303-21;\n");
}

TEST_F(Packed, RefusalsChangeNothing) {
    const auto attempt = [this](const char* what) -> bool {
        store.ClearData();
        CzorInstance* older = Make("thing", 0);
        zorPackMark mark = store.GetPackMark();
        std::vector<CzorInstance*> keep{Make("thing", 1)};
        CzorInstance* p = Make("part", 2);
        const std::string w(what);
        if (w == "nothing kept") keep.clear();
        if (w == "kept from before the mark") keep = {older};
        if (w == "a kept one twice") keep.push_back(keep[0]);
        if (w == "an entity not droppable") Make("thing", 3);
        if (w == "one deleted since") store.DeleteInstance(p);
        if (w == "one moved since") store.MoveToEnd({older});
        if (w == "a mark from another store life") {
            zorPackMark stale = mark;
            store.ClearData();
            Make("thing", 0);
            mark = store.GetPackMark();
            keep = {Make("thing", 1)};
            Make("part", 2);
            mark.arenaEpoch = stale.arenaEpoch;
        }
        const std::string before = Saved("before.zordot");
        const bool packed = store.PackSince(mark, keep, Parts());
        EXPECT_EQ(Saved("after.zordot"), before) << what;
        return packed;
    };
    EXPECT_TRUE(attempt("fine"));
    for (const char* what : {"nothing kept", "kept from before the mark", "a kept one twice", "an entity not droppable",
                             "one deleted since", "one moved since", "a mark from another store life"})
        EXPECT_FALSE(attempt(what)) << what;
}

// The records wait in a file that no one sees and nothing outlives; where no such file can be made, the
// batch stays whole.
TEST_F(Packed, RecordsWaitInAnUnseenFile) {
    const std::string folder = Path("spool");
    std::filesystem::create_directory(folder);
    const struct {
        const char* name;
        std::string tmpdir;
        bool packs;
    } cases[] = {{"a folder", folder, true}, {"no such folder", Path("missing"), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zor::test::ScopedEnv tmpdir("TMPDIR", c.tmpdir);
        store.ClearData();
        Make("thing", 0);
        const zorPackMark mark = store.GetPackMark();
        std::vector<CzorInstance*> keep{Make("thing", 1)};
        store.PutAttrBN(keep[0], "ref", Make("part", 2));
        const std::string before = Saved("before.zordot");
        EXPECT_EQ(store.PackSince(mark, keep, Parts()), c.packs);
        EXPECT_EQ(Saved("after.zordot"), before);
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    }
    store.ClearData();
}

// Batch after batch, the store's memory holds what stands for them, not what they were.
TEST_F(Packed, BatchMemoryIsReused) {
    const auto reserved = [this](bool pack) {
        store.ClearData();
        for (int batch = 0; batch < 400; ++batch) {
            const zorPackMark mark = store.GetPackMark();
            CzorInstance* a = Make("thing", batch);
            for (int k = 0; k < 50; ++k) {
                CzorInstance* p = Make("part", k);
                store.PutAttrBN(p, "s", "a text of some length that is not short");
                store.PutAttrBN(p, "ref", a);
            }
            std::vector<CzorInstance*> keep{a};
            if (pack) {
                EXPECT_TRUE(store.PackSince(mark, keep, Parts()));
            }
        }
        return zorStoreAccess::ArenaOf(store).BytesReserved();
    };
    const size_t whole = reserved(false), packed = reserved(true);
    EXPECT_LT(packed * 10, whole) << packed << " of " << whole;
}

// A batch written record by record, its instances never made, saves as the same instances made and packed
// as one would: texts as a stored text holds them, references back and forth inside the batch, records
// written again in the same batch or another, the batch named by a list, moved, or gone with the instance
// that stands for it.
TEST_F(Packed, ABatchWrittenAsRecordsSavesTheFileItsInstancesWould) {
    struct Case {
        const char* name;
        bool move;
        bool deleteStanding;
    } const cases[] = {{"plain", false, false}, {"moved", true, false}, {"standing one deleted", false, true}};
    const std::string text = std::string("Итог 'за' \\ год\x01\x7f, и дальше") + '\0' + "не видно";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto build = [&](bool asRecords) {
            store.ClearData();
            CzorInstance* holder = Make("thing", 1);
            CzorInstance* one = nullptr;
            // The part and the note of the first cell are written again for the others.
            zorBatchWriter::Record part, note;
            for (int batch = 0; batch < 2; ++batch) {
                if (asRecords) {
                    // thing: i r s b bin ref items; part: the same; note: text about.
                    zorBatchWriter w(store);
                    for (int k = 0; k < 3; ++k) {
                        const uint32_t a = w.Begin(E("thing"), true);
                        w.Int(100 * batch + k);
                        w.Unset();
                        w.Text(text);
                        w.Unset();
                        w.Unset();
                        w.Ref(a + 1);
                        w.Unset();
                        w.End();
                        if (batch + k > 0) {
                            w.Repeat(part, false);
                            w.Repeat(note, false);
                            continue;
                        }
                        w.Begin(E("part"), false);
                        w.Int(-2147483647 - 1);
                        for (int u = 0; u < 4; ++u) w.Unset();
                        w.Ref(a);
                        w.Unset();
                        w.End();
                        w.CopyLast(part);
                        w.Begin(E("note"), false);
                        w.Text("");
                        w.Ref(a + 1);
                        w.End();
                        w.CopyLast(note);
                    }
                    CzorInstance* standing = w.Commit();
                    EXPECT_NE(standing, nullptr);
                    if (!standing) return std::string();
                    EXPECT_TRUE(standing->IsPacked());
                    EXPECT_EQ(standing->GetEntity(), E("thing"));
                    EXPECT_EQ(w.Count(), 0u);
                    if (batch == 0) one = standing;
                } else {
                    const zorPackMark mark = store.GetPackMark();
                    std::vector<CzorInstance*> kept;
                    for (int k = 0; k < 3; ++k) {
                        CzorInstance* a = Make("thing", 100 * batch + k);
                        store.PutAttrBN(a, "s", text);
                        CzorInstance* p = Make("part", -2147483647 - 1);
                        store.PutAttrBN(a, "ref", p);
                        store.PutAttrBN(p, "ref", a);
                        CzorInstance* n = store.CreateInstanceBN("note");
                        store.PutAttrBN(n, "text", "");
                        store.PutAttrBN(n, "about", p);
                        kept.push_back(a);
                    }
                    CzorInstance* standing = store.PackBatchSince(mark, kept, Parts());
                    EXPECT_NE(standing, nullptr);
                    if (!standing) return std::string();
                    if (batch == 0) one = standing;
                }
            }
            CzorTAggr<CzorInstance> items;
            items.Add(one);
            store.PutAttrBN(holder, "items", items);
            if (c.move) store.MoveToEnd({holder, one});
            if (c.deleteStanding) store.DeleteInstance(one);
            Make("thing", 2);
            return Saved(asRecords ? "records.zordot" : "packed.zordot");
        };
        const std::string packed = build(false), records = build(true);
        EXPECT_EQ(records, packed);
        EXPECT_NE(packed.find(R"('Итог ''за'' \\ год\X\01\X\7F, и дальше')"), std::string::npos) << packed;
    }
}

// A batch the writer cannot stand for is not stored: the store and its file are as they were, and the
// writer takes the next batch as if nothing had happened.
TEST_F(Packed, ABatchOfRecordsThatCannotBeKeptChangesNothing) {
    const std::string folder = Path("spool");
    std::filesystem::create_directory(folder);
    const struct {
        const char* name;
        int values;       // of the thing's seven slots
        bool kept;
        uint32_t refersTo;
        const char* tmpdir;
    } cases[] = {
        {"fine", 7, true, 0, nullptr},
        {"a value short", 6, true, 0, nullptr},
        {"a value too many", 8, true, 0, nullptr},
        {"nothing kept", 7, false, 0, nullptr},
        {"a reference past the batch", 7, true, 1, nullptr},
        {"no temporary folder", 7, true, 0, "missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zor::test::ScopedEnv tmpdir("TMPDIR", c.tmpdir ? Path(c.tmpdir) : folder);
        store.ClearData();
        Make("thing", 0);
        const std::string before = Saved("before.zordot");
        zorBatchWriter w(store);
        w.Begin(E("thing"), c.kept);
        // i, then r s b bin, ref, items.
        w.Int(1);
        for (int k = 1; k < std::min(c.values, 5); ++k) w.Unset();
        if (c.values > 5) w.Ref(c.refersTo);
        for (int k = 6; k < c.values; ++k) w.Unset();
        const bool fine = std::string(c.name) == "fine";
        EXPECT_EQ(w.Commit() != nullptr, fine);
        if (fine) continue;
        EXPECT_EQ(store.GetInstanceCount(), 1);
        EXPECT_EQ(Saved("after.zordot"), before);
        // The next batch is written whole (a store that could make no temporary file tries no more).
        if (c.tmpdir) continue;
        w.Begin(E("part"), true);
        w.Int(5);
        for (int k = 1; k < 7; ++k) w.Unset();
        ASSERT_NE(w.Commit(), nullptr);
        EXPECT_EQ(Saved("next.zordot"), "DATA;\n#1=THING(0,$,$,$,$,$,$);\n#2=PART(5,$,$,$,$,$,$);\nENDSEC;\nEND-ISO-10303-21;\n");
    }
    // A null entity spoils its batch.
    zorBatchWriter w(store);
    w.Begin(nullptr, true);
    EXPECT_EQ(w.Commit(), nullptr);
}

namespace {

// Spells each place of its batch as a thing whose number is the byte kept for it, and whose reference
// names the place before it; a byte 'x' cannot be read back.
class ByteSpeller : public zorRecordSpeller {
public:
    bool Spell(std::string_view bytes, uint32_t count, const std::vector<uint32_t>& marks,
               zor_detail::OutBuf& out) const override {
        if (bytes.size() != count) return false;
        for (uint32_t place = 0; place < count; ++place) {
            if (bytes[place] == 'x') return false;
            if (!marks[place]) continue;
            std::string text = "#" + std::to_string(marks[place]) + "=THING(" + std::to_string(bytes[place] - '0') +
                               ",$,$,$,$," +
                               (place && marks[place - 1] ? "#" + std::to_string(marks[place - 1]) : "$") + ",$);\n";
            out.append(text);
        }
        return true;
    }
};

}  // namespace

TEST_F(Packed, ASpelledBatchSavesWhereItsInstancesWouldStand) {
    const auto build = [&](bool spelled) {
        store.ClearData();
        CzorInstance* holder = Make("thing", 1);
        CzorInstance* one = nullptr;
        if (spelled) {
            one = store.StoreSpelledBatch("123", 3, {0, 2}, E("thing"), std::make_shared<ByteSpeller>());
        } else {
            const zorPackMark mark = store.GetPackMark();
            std::vector<CzorInstance*> made;
            for (int i = 1; i <= 3; ++i) {
                made.push_back(Make("thing", i));
                if (i > 1) store.PutAttrBN(made.back(), "ref", made[made.size() - 2]);
            }
            one = store.PackBatchSince(mark, {made[0], made[2]}, {E("thing")});
        }
        EXPECT_NE(one, nullptr);
        CzorTAggr<CzorInstance> items;
        items.Add(one);
        store.PutAttrBN(holder, "items", items);
        Make("thing", 9);  // after the batch
        return Saved(spelled ? "spelled.zordot" : "packed.zordot");
    };
    const std::string spelled = build(true);
    EXPECT_EQ(spelled, build(false));
    EXPECT_NE(spelled.find("#1=THING(1,$,$,$,$,$,(#2,#4));"), std::string::npos) << spelled;
}

TEST_F(Packed, ASpelledBatchThatCannotBeKeptOrSpeltChangesNothing) {
    const struct {
        const char* name;
        std::vector<uint32_t> kept;
        bool speller;
    } refused[] = {
        {"no speller", {0}, false},
        {"nothing kept", {}, true},
        {"kept out of order", {1, 0}, true},
        {"kept past the batch", {0, 2}, true},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        store.ClearData();
        Make("thing", 1);
        const std::string before = Saved("before.zordot");
        EXPECT_EQ(
            store.StoreSpelledBatch("12", 2, c.kept, E("thing"), c.speller ? std::make_shared<ByteSpeller>() : nullptr),
            nullptr);
        EXPECT_EQ(store.GetInstanceCount(), 1);
        EXPECT_EQ(Saved("after.zordot"), before);
    }
    // Bytes the speller cannot read fail the save, which leaves the earlier file as it was.
    store.ClearData();
    Make("thing", 1);
    ASSERT_NE(store.StoreSpelledBatch("1x", 2, {0}, E("thing"), std::make_shared<ByteSpeller>()), nullptr);
    const std::string path = Path("damaged.zordot");
    Write(path, "earlier");
    EXPECT_FALSE(store.SaveToFile(path.c_str()));
    EXPECT_NE(std::string(store.GetLastErrorDescription()).find("повреждены"), std::string::npos)
        << store.GetLastErrorDescription();
    EXPECT_EQ(Read(path), "earlier");
}

// Batches of every size read back as they were appended, whether they still wait in memory, went to the
// file with the ones before them, or were written on their own for their size.
TEST_F(Packed, TheSpoolGivesBackEveryBatchAsAppended) {
    const std::string folder = Path("spool");
    std::filesystem::create_directory(folder);
    zor::test::ScopedEnv tmpdir("TMPDIR", folder);
    constexpr size_t kTail = zor_detail::Spool::kTail;
    const size_t sizes[] = {1, 1000, kTail - 1001, 1, kTail, 7, kTail + 5, 3, 2 * kTail, 10, 0, 12345};
    zor_detail::Spool spool;
    std::vector<std::pair<uint64_t, std::string>> batches;
    char fill = 'a';
    for (const size_t n : sizes) {
        std::string bytes(n, fill);
        if (n) bytes.back() = static_cast<char>(fill + 1);
        fill = fill == 'x' ? 'a' : static_cast<char>(fill + 2);
        uint64_t offset = 0;
        ASSERT_TRUE(spool.Append(bytes.data(), bytes.size(), offset)) << n;
        batches.emplace_back(offset, bytes);
        // Each read at once, and all of them again after every later append.
        for (const auto& [at, expected] : batches) {
            std::unique_ptr<char[]> out;
            size_t capacity = 0;
            std::string error;
            ASSERT_TRUE(spool.Read(at, expected.size(), out, capacity, error)) << error;
            EXPECT_EQ(std::string(out.get(), expected.size()), expected) << "at " << at;
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

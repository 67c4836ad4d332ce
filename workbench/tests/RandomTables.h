// Random rule tables for the workbench's property tests: overlapping, reversed, single-value
// and unbounded ranges, texts the module reads only in part, disabled rules.
#pragma once

#include <random>
#include <string>
#include <string_view>

#include "rules/RuleTable.h"

class RandomTables {
public:
    explicit RandomTables(uint32_t seed) : random_(seed) {}

    int Pick(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }

    HoleRule Rule() { return {Pick(0, 3), Code(), Code(), Diameter(), Diameter(), Diameter()}; }

    RuleTable Table() {
        RuleTable table;
        for (int i = Pick(0, 10); i > 0; --i) table.Append(Rule());
        return table;
    }

    // The same table with one edit: a rule replaced, removed, added, switched or one field
    // retyped, so that many pairs act alike on most steps and some on all.
    RuleTable Edited(const RuleTable& table) {
        RuleTable edited = table;
        const int n = table.count() > 0 ? Pick(1, table.count()) : 0;
        switch (n == 0 ? 0 : Pick(0, 4)) {
            case 0:
                edited.Append(Rule());
                break;
            case 1:
                edited.Remove(n);
                break;
            case 2:
                edited.SetEnabled(n, table.rule(n).isDisplay == 0);
                break;
            case 3: {
                HoleRule rule = table.rule(n);
                rule.DiameterModify = Diameter();
                edited.Replace(n, rule);
                break;
            }
            default: {
                HoleRule rule = table.rule(n);
                (Pick(0, 1) == 0 ? rule.DiameterFrom : rule.CodeTo) =
                    Pick(0, 1) == 0 ? Diameter() : Code();
                edited.Replace(n, rule);
            }
        }
        return edited;
    }

private:
    static RuleText Text(std::string_view s) { return RuleText(s.begin(), s.end()); }
    RuleText Code() {
        static const char* const odd[] = {"", "abc", "103abc", "-5", "2147483647", "-2147483648"};
        return Pick(0, 3) == 0 ? Text(odd[Pick(0, 5)]) : Text(std::to_string(Pick(98, 108)));
    }
    RuleText Diameter() {
        static const char* const texts[] = {"",       "0",        "-0",  "8,5", "8.1mm", "1e400",
                                            "-1e400", "4.9e-324", "7.9", "8",   "8.1",   "8.5",
                                            "8.99",   "9",        "10",  "-1"};
        return Text(texts[Pick(0, 15)]);
    }

    std::mt19937 random_;
};

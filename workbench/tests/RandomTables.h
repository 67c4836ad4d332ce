// Random rule tables for the workbench's property tests: overlapping, reversed, single-value
// and unbounded ranges, texts the module reads only in part, disabled rules.
#pragma once

#include <random>
#include <string>

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

    // The same table with one rule added, removed, switched or given another new diameter,
    // so that many pairs act alike on most steps and some on all.
    RuleTable Edited(RuleTable table) {
        const int n = table.count() > 0 ? Pick(1, table.count()) : 0;
        const int edit = n == 0 ? 0 : Pick(0, 3);
        if (edit == 0) table.Append(Rule());
        if (edit == 1) table.Remove(n);
        if (edit == 2) table.SetEnabled(n, table.rule(n).enabled == 0);
        if (edit == 3) {
            HoleRule rule = table.rule(n);
            rule.DiameterModify = Diameter();
            table.Replace(n, rule);
        }
        return table;
    }

private:
    RuleText Code() {
        static const char16_t* const odd[] = {u"", u"abc", u"103abc", u"2147483647",
                                              u"-2147483648"};
        if (Pick(0, 3) == 0) return odd[Pick(0, 4)];
        const std::string code = std::to_string(Pick(98, 108));
        return RuleText(code.begin(), code.end());
    }
    RuleText Diameter() {
        static const char16_t* const texts[] = {u"",       u"0",        u"-0",  u"8,5", u"1e400",
                                                u"-1e400", u"4.9e-324", u"7.9", u"8",   u"8.1",
                                                u"8.5",    u"8.99",     u"9",   u"10",  u"-1"};
        return texts[Pick(0, 14)];
    }

    std::mt19937 random_;
};

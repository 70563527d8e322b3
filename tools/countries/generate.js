#!/usr/bin/env node
// Writes the country library as SQL text (res/countries.sql): one row per region of the phone
// number metadata and one row per mobile country code (MCC). The output is sorted and depends only
// on the pinned package versions, so a regenerated file differs from the committed one only where
// the data changed.
//
// Usage: node generate.js [OUTPUT]   (default: ../../res/countries.sql)
'use strict';

const fs = require('fs');
const path = require('path');
const { PhoneNumberUtil } = require('google-libphonenumber');
const mccRecords = require('mcc-mnc-list/mcc-mnc-list.json');
const likelySubtags = require('cldr-core/supplemental/likelySubtags.json').supplemental.likelySubtags;
const territoryInfo = require('cldr-core/supplemental/territoryInfo.json').supplemental.territoryInfo;

// Separators inside one column; the data must not contain them or the lists become ambiguous.
const FORMAT_SEP = ';';
const ALTERNATIVE_SEP = '#';

const cldrMain = path.join(path.dirname(require.resolve('cldr-localenames-full/package.json')),
                           'main');
const territoryNamesCache = new Map();

function territoryNames(locale) {
    if (!territoryNamesCache.has(locale)) {
        const file = path.join(cldrMain, locale, 'territories.json');
        const names = fs.existsSync(file)
            ? JSON.parse(fs.readFileSync(file, 'utf8')).main[locale].localeDisplayNames.territories
            : null;
        territoryNamesCache.set(locale, names);
    }
    return territoryNamesCache.get(locale);
}

// Candidate locales for a full tag such as "de-Latn-CH", most specific first.
function localeCandidates(tag) {
    const [lang, script, region] = tag.split('-');
    return [tag, `${lang}-${region}`, `${lang}-${script}`, lang];
}

// The language a territory mostly speaks: CLDR's likely subtags, else its most widely spoken
// language, else English.
function likelyLocale(region) {
    const likely = likelySubtags[`und-${region}`];
    if (likely) {
        return likely;
    }
    const languages = (territoryInfo[region] || {}).languagePopulation || {};
    const ranked = Object.keys(languages).sort(
        (a, b) => parseFloat(languages[b]._populationPercent) -
                  parseFloat(languages[a]._populationPercent) || a.localeCompare(b));
    const lang = ranked.length ? ranked[0].replace(/_/g, '-') : 'en';
    return `${lang}-Zzzz-${region}`;
}

function nameIn(locales, region) {
    for (const locale of locales) {
        const names = territoryNames(locale);
        if (names && names[region]) {
            return names[region];
        }
    }
    return null;
}

function englishName(region) {
    const name = nameIn(['en'], region);
    if (!name) {
        throw new Error(`no English name for ${region}`);
    }
    return name;
}

function localName(region) {
    return nameIn(localeCandidates(likelyLocale(region)), region) || englishName(region);
}

function checkFree(text, sep, what) {
    if (text.includes(sep)) {
        throw new Error(`${what} contains the separator "${sep}": ${text}`);
    }
    return text;
}

// A description without lengths of its own takes those of the general description.
function possibleLengths(meta) {
    const mobile = meta.getMobile();
    const lengths = mobile && mobile.possibleLengthArray().length
        ? mobile.possibleLengthArray()
        : meta.getGeneralDesc().possibleLengthArray();
    return lengths.filter((n) => n > 0).sort((a, b) => a - b).join(',');
}

function mobilePattern(meta) {
    const mobile = meta.getMobile();
    return (mobile && mobile.getNationalNumberPattern()) || '';
}

function formatColumns(meta) {
    const formats = meta.numberFormatArray();
    const join = (pick, what) =>
        formats.map((f) => checkFree(pick(f), FORMAT_SEP, what)).join(FORMAT_SEP);
    return {
        r2: join((f) => f.getPattern() || '', 'format pattern'),
        r3: join((f) => f.getFormat() || '', 'format template'),
        r4: join((f) => f.leadingDigitsPatternArray()
            .map((p) => checkFree(p, ALTERNATIVE_SEP, 'leading digits')).join(ALTERNATIVE_SEP),
                 'leading digits'),
    };
}

// MCC -> {region -> number of operator records}. Records shared by several territories name them
// as "GP/MQ"; records of no ISO territory (international, test, disputed) are left out.
function mccRegionCounts(regions) {
    const counts = new Map();
    for (const record of mccRecords) {
        if (!/^\d{3}$/.test(record.mcc || '') || !record.countryCode) {
            continue;
        }
        for (const region of record.countryCode.split('/')) {
            if (!regions.has(region)) {
                continue;
            }
            const byRegion = counts.get(record.mcc) || new Map();
            byRegion.set(region, (byRegion.get(region) || 0) + 1);
            counts.set(record.mcc, byRegion);
        }
    }
    return counts;
}

function population(region) {
    return Number((territoryInfo[region] || {})._population || 0);
}

// The territory an MCC stands for when several share it: the one with the most operators, then
// the most populous, then the first by code.
function mainRegion(byRegion) {
    return [...byRegion.entries()]
        .sort((a, b) => b[1] - a[1] || population(b[0]) - population(a[0]) ||
                        a[0].localeCompare(b[0]))[0][0];
}

function sqlText(value) {
    return `'${String(value).replace(/'/g, "''")}'`;
}

function insert(table, values) {
    return `INSERT INTO ${table} VALUES(${values.map(sqlText).join(',')});`;
}

function packageVersion(name) {
    return require(`${name}/package.json`).version;
}

function generate() {
    const util = PhoneNumberUtil.getInstance();
    const regions = new Set(util.getSupportedRegions());
    const counts = mccRegionCounts(regions);

    const mccsOf = new Map();
    const mccRows = [];
    for (const mcc of [...counts.keys()].sort()) {
        for (const region of counts.get(mcc).keys()) {
            mccsOf.set(region, [...(mccsOf.get(region) || []), mcc]);
        }
        mccRows.push(insert('mmc_sn', [mcc, mainRegion(counts.get(mcc))]));
    }

    const countryRows = [...regions].sort().map((region) => {
        const meta = util.getMetadataForRegion(region);
        const { r2, r3, r4 } = formatColumns(meta);
        return insert('countries', [
            region, localName(region), String(meta.getCountryCode()),
            (mccsOf.get(region) || []).sort().join(','), possibleLengths(meta),
            meta.getNationalPrefix() || '', mobilePattern(meta), r2, r3, r4,
            meta.getInternationalPrefix() || '', englishName(region)]);
    });

    const sources = ['google-libphonenumber', 'mcc-mnc-list', 'cldr-core', 'cldr-localenames-full']
        .map((name) => `${name} ${packageVersion(name)}`).join(', ');
    return [
        '-- Country library of TextLink. Generated by tools/countries/generate.js; do not edit.',
        `-- Data: ${sources}.`,
        'BEGIN TRANSACTION;',
        'CREATE TABLE countries(sn TEXT PRIMARY KEY, ln TEXT, pnum TEXT, mmc TEXT, numc TEXT, ' +
            'u2 TEXT, r1 TEXT, r2 TEXT, r3 TEXT, r4 TEXT, mnc_rx TEXT, n TEXT);',
        'CREATE INDEX index_countries_pnum ON countries(pnum);',
        'CREATE TABLE mmc_sn(mmc CHAR(3) PRIMARY KEY, sn CHAR(2));',
        'CREATE INDEX index_mmc_sn ON mmc_sn(sn);',
        ...countryRows,
        ...mccRows,
        'COMMIT;',
        '',
    ].join('\n');
}

const output = path.resolve(process.argv[2] || path.join(__dirname, '..', '..', 'res',
                                                         'countries.sql'));
const sql = generate();
fs.writeFileSync(output, sql);
console.log(`wrote ${output}`);

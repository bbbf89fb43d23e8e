// Reads an iCalendar file with ical.js, in the time zone that the file itself
// defines, and prints one line per event, tab-separated: UID, start in UTC,
// duration in seconds, summary, location, description, categories. Fails on
// an event not in Europe/Rome, or on a UID seen before.
// Usage: node ics_check.mjs ICAL_JS_MODULE FILE.ics
import { readFileSync } from 'node:fs';
import { pathToFileURL } from 'node:url';

const [modulePath, icsPath] = process.argv.slice(2);
const ICAL = (await import(pathToFileURL(modulePath).href)).default;

function fail(message) {
  console.error(`ics_check.mjs: ${message}`);
  process.exit(1);
}

const calendar = new ICAL.Component(ICAL.parse(readFileSync(icsPath, 'utf8')));
const zones = calendar.getAllSubcomponents('vtimezone');
if (zones.length !== 1) fail(`${zones.length} VTIMEZONE components`);
// ical.js takes a TZID's zone from the file's own VTIMEZONE; with the zone
// service emptied, no zone can come from anywhere else.
ICAL.TimezoneService.reset();

console.log(['calendar', calendar.getFirstPropertyValue('name'),
  calendar.getFirstPropertyValue('x-wr-calname'), calendar.getFirstPropertyValue('method'),
  calendar.getFirstPropertyValue('version')].join('\t'));
const uids = new Set();
for (const component of calendar.getAllSubcomponents('vevent')) {
  const event = new ICAL.Event(component);
  const start = event.startDate;
  if (start.zone.tzid !== 'Europe/Rome' || start.zone.component !== zones[0])
    fail(`${event.uid}: start ${start} not in the file's Europe/Rome but in ${start.zone}`);
  if (uids.has(event.uid)) fail(`UID ${event.uid} twice`);
  uids.add(event.uid);
  const utc = start.convertToZone(ICAL.Timezone.utcTimezone).toICALString();
  const categories = component.getAllProperties('categories').flatMap((p) => p.getValues());
  console.log([event.uid, utc, event.duration.toSeconds(), event.summary, event.location ?? '',
    event.description, categories.join('|')].join('\t'));
}

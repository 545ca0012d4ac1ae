// Times SheetJS reading the file and turning the first sheet into rows; prints seconds.
const XLSX = require(process.argv[2]);
const start = process.hrtime.bigint();
const wb = XLSX.readFile(process.argv[3], { cellDates: true });
const rows = XLSX.utils.sheet_to_json(wb.Sheets[wb.SheetNames[0]], { header: 1 });
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
console.log(seconds.toFixed(3) + " " + rows.length);

// Names every file of an unpacked fab package with whats-that-gerber, an independent identifier
// of Gerber and drill files by name, and checks that each Gerber and drill file is taken for
// what it is and that nothing else is taken for a drill file.
// usage: node fab_names_check.js WHATS_THAT_GERBER_DIR NAME...   prints "ok   NAME" or "FAIL NAME: why"
'use strict'
const whatsThatGerber = require(process.argv[2])
const names = process.argv.slice(3)
// what each of our fab extensions is; the drill drawing and drill guide (Protel's GD1 and GG1)
// are unknown to it, and must at least not be taken for anything else
const meant = {
  GTL: ['copper', 'top'], GBL: ['copper', 'bottom'],
  G1: ['copper', 'inner'], G2: ['copper', 'inner'], G3: ['copper', 'inner'], G4: ['copper', 'inner'],
  GP1: ['copper', 'inner'], GP2: ['copper', 'inner'],
  GTO: ['silkscreen', 'top'], GBO: ['silkscreen', 'bottom'],
  GTS: ['soldermask', 'top'], GBS: ['soldermask', 'bottom'],
  GTP: ['solderpaste', 'top'], GBP: ['solderpaste', 'bottom'],
  GKO: ['outline', 'all'], TXT: ['drill', 'all'],
  GD1: ['drawing', null], GG1: ['drawing', null],
}
const found = whatsThatGerber(names)
let failed = 0
for (const name of names) {
  const {type, side} = found[name]
  const ext = name.includes('.') ? name.slice(name.lastIndexOf('.') + 1).toUpperCase() : ''
  const want = meant[ext]
  let why = null
  if (want && want[0] === 'drawing') {
    if (type !== null && type !== 'drawing') why = `taken for ${type}`
  } else if (want) {
    if (type !== want[0] || side !== want[1]) why = `taken for ${type} ${side}, it is ${want.join(' ')}`
  } else if (type !== null) {
    why = `not a Gerber or drill file, but taken for ${type}`
  }
  if (why) {
    console.log(`FAIL ${name}: ${why}`)
    failed++
  } else {
    console.log(`ok   ${name}`)
  }
}
process.exit(failed ? 1 : 0)
